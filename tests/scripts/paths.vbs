' Path-string methods of TextFileFunctions from VBScript.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")

Dim cases, c
cases = Array( _
    Array("ExtractDirectoryPath", "C:\logs\app.log", "C:\logs\"), _
    Array("ExtractDirectoryPath", "app.log", ""), _
    Array("ExtractDirectoryPath", "C:\logs\", "C:\logs\"), _
    Array("ExtractDirectoryPath", "\\server\share\f.txt", "\\server\share\"), _
    Array("ExtractDirectoryPath", "C:/logs/app.log", ""), _
    Array("ExtractFilename", "C:\logs\app.log", "app.log"), _
    Array("ExtractFilename", "C:\logs\", ""), _
    Array("ExtractFilename", "app.log", "app.log"), _
    Array("ExtractFilename", "C:/logs/app.log", "C:/logs/app.log"), _
    Array("ExtractFilenameNoExtension", "C:\logs\app.log", "app"), _
    Array("ExtractFilenameNoExtension", "C:\x\archive.tar.gz", "archive"), _
    Array("ExtractFilenameNoExtension", "C:\x\.profile", ""), _
    Array("ExtractFilenameNoExtension", "C:\my.dir\readme", "readme"), _
    Array("ExtractFilenameNoExtension", "readme", "readme"), _
    Array("ExtractExtension", "report.txt", "txt"), _
    Array("ExtractExtension", "archive.tar.gz", "tar.gz"), _
    Array("ExtractExtension", "C:\my.dir\file.txt", "dir\file.txt"), _
    Array("ExtractExtension", "README", "README"), _
    Array("ExtractExtension", "name.", ""))
Function CallPath(method, arg)
    Select Case method
        Case "ExtractDirectoryPath": CallPath = tf.ExtractDirectoryPath(arg)
        Case "ExtractFilename": CallPath = tf.ExtractFilename(arg)
        Case "ExtractFilenameNoExtension": CallPath = tf.ExtractFilenameNoExtension(arg)
        Case "ExtractExtension": CallPath = tf.ExtractExtension(arg)
    End Select
End Function
For Each c In cases
    Eq CallPath(c(0), c(1)), c(2), c(0) & "(" & c(1) & ")"
Next

Eq tf.IsUNCName("\\server\share"), -1, "IsUNCName UNC"
Eq tf.IsUNCName("//server/share"), -1, "IsUNCName slashes"
Eq tf.IsUNCName("\/x"), -1, "IsUNCName mixed"
Eq tf.IsUNCName("\"), 0, "IsUNCName one"
Eq tf.IsUNCName("C:\"), 0, "IsUNCName drive"
Eq tf.IsUNCName(""), 0, "IsUNCName empty"
Eq VarType(tf.IsUNCName("")), vbInteger, "IsUNCName is an Integer"

' Numbers are coerced to text by the dispatch layer.
Eq tf.ExtractExtension(1.5), "5", "number argument"
Eq tf.ExtractFilename(Empty), "", "Empty argument"

' By name and case-insensitively, as scripts call it.
Eq tf.extractfilename("a\b"), "b", "lower-case name"

Dim s
s = "C:\temp"
' With parentheses the argument goes by value: the call works, the variable stays as it was.
tf.AddDirSep (s)
Eq s, "C:\temp", "AddDirSep (s) leaves the variable"
tf.AddURLDirSep (s)
Eq s, "C:\temp", "AddURLDirSep (s) leaves the variable"

' A wrong argument type is a type mismatch, not a crash.
On Error Resume Next
Dim r
r = tf.ExtractFilename(Array(1, 2))
Eq Err.Number, CLng(13), "array argument: type mismatch"
Err.Clear
r = tf.ExtractFilename(tf)
Ok Err.Number <> 0, "object argument fails"
Err.Clear
On Error GoTo 0

' Long strings stay linear and exact.
Dim big
big = String(200000, "a") & "\" & String(200000, "b") & ".x"
Eq Len(tf.ExtractFilename(big)), 200002, "long ExtractFilename"
Eq Len(tf.ExtractDirectoryPath(big)), 200001, "long ExtractDirectoryPath"
Eq tf.ExtractExtension(big), "x", "long ExtractExtension"

Report
