' Text-file benchmark: the library against the scripting runtime's FileSystemObject, in the
' same process. Argument: the path of the generated text file, then the text on its last line.
Option Explicit
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim path : path = WScript.Arguments(0)
Dim needle : needle = WScript.Arguments(1)

' Timer counts seconds since midnight in single precision (a few milliseconds): fast calls are
' timed over several rounds.
Function Seconds(t0, rounds)
    Dim t : t = Timer - t0
    If t < 0 Then t = t + 86400
    Seconds = t / rounds
End Function

Dim i, t0, s, a, n, ts, line, found
Const rounds = 5

' Whole file as one string.
t0 = Timer
For i = 1 To rounds : s = tf.ReadTextFileString(path) : Next
Dim ourString : ourString = Seconds(t0, rounds)
t0 = Timer
s = fso.OpenTextFile(path, 1).ReadAll
Dim fsoString : fsoString = Seconds(t0, 1)

' Whole file as an array of lines.
t0 = Timer
For i = 1 To rounds : a = tf.ReadTextFileVariant(path) : Next
Dim ourLines : ourLines = Seconds(t0, rounds)
Dim ourCount : ourCount = UBound(a) + 1
a = Empty
t0 = Timer
ReDim a(1023)
n = 0
Set ts = fso.OpenTextFile(path, 1)
Do While Not ts.AtEndOfStream
    If n > UBound(a) Then ReDim Preserve a(2 * UBound(a) + 1)
    a(n) = ts.ReadLine
    n = n + 1
Loop
ts.Close
ReDim Preserve a(n - 1)
Dim fsoLines : fsoLines = Seconds(t0, 1)
a = Empty

' A text on the last line of the log.
t0 = Timer
For i = 1 To rounds : found = tf.IsInLogFile(path, needle) : Next
Dim ourSearch : ourSearch = Seconds(t0, rounds)
Dim ourFound : ourFound = found
t0 = Timer
found = False
Set ts = fso.OpenTextFile(path, 1)
Do While Not ts.AtEndOfStream
    If InStr(ts.ReadLine, needle) > 0 Then found = True : Exit Do
Loop
ts.Close
Dim fsoSearch : fsoSearch = Seconds(t0, 1)

Sub Row(what, ours, anchor, anchorName, target)
    WScript.Echo what & ": " & FormatNumber(ours, 3) & " s; " & anchorName & ": " & FormatNumber(anchor, 3) & _
        " s; ratio " & FormatNumber(anchor / ours, 1) & "x (target >= " & target & "x)"
End Sub
Row "ReadTextFileString", ourString, fsoString, "OpenTextFile.ReadAll", 20
Row "ReadTextFileVariant (" & ourCount & " lines)", ourLines, fsoLines, "ReadLine loop into an array (" & n & " lines)", 5
Row "IsInLogFile (found: " & ourFound & ")", ourSearch, fsoSearch, "ReadLine + InStr loop (found: " & found & ")", 20
