' Path-string methods of TextFileFunctions from VBScript: the shared cases through the script
' host (a variable by reference for the in-out methods, an Integer from IsUNCName), and what a
' script passes that C++ does not.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")

Dim c, s, n
n = 0
For Each c In Cases("paths")
    s = c(1)
    Select Case c(0)
        Case "ExtractDirectoryPath": s = tf.ExtractDirectoryPath(s)
        Case "ExtractFilename": s = tf.ExtractFilename(s)
        Case "ExtractFilenameNoExtension": s = tf.ExtractFilenameNoExtension(s)
        Case "ExtractExtension": s = tf.ExtractExtension(s)
        Case "AddDirSep": tf.AddDirSep s ' the variable goes by reference and takes the result
        Case "AddURLDirSep": tf.AddURLDirSep s
        Case "IsUNCName": s = tf.IsUNCName(s) : c(2) = CInt(c(2))
    End Select
    Eq s, c(2), c(0) & "(" & c(1) & ")"
    n = n + 1
Next
Ok n > 40, "the case file's rows"

' Numbers are coerced to text by the dispatch layer.
Eq tf.ExtractExtension(1.5), "5", "number argument"
Eq tf.ExtractFilename(Empty), "", "Empty argument"

' By name and case-insensitively, as scripts call it.
Eq tf.extractfilename("a\b"), "b", "lower-case name"

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

Report
