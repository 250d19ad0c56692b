Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Eq tf.ExtractFilename("C:\logs\app.log"), "app.log", "ExtractFilename"
Report
