' Appends n entries to a log: append_log.vbs <log> <n> <tag> <go file>. Starts when the go file
' exists; exits 1 when an entry is refused (an error or False).
Dim tf, vf, i, ok
Set tf = CreateObject("ZorUtility.TextFileFunctions")
Set vf = CreateObject("ZorUtility.VariousFunctions")
Do Until tf.FileExists(WScript.Arguments(3))
    Call vf.Sleep((0.005))
Loop
For i = 1 To CLng(WScript.Arguments(1))
    On Error Resume Next
    ok = tf.UpdateLogFile(WScript.Arguments(0), WScript.Arguments(2) & " entry " & i & ", all of it intact")
    If Err.Number <> 0 Or Not ok Then WScript.Quit 1
    On Error GoTo 0
Next
WScript.Quit 0
