' ReadTextFile of a 1 MB text file against the same transformation written as a VBScript loop
' (ReadLine, blank test, "<BR>"/"<P></P>"), in the same process. Prints the times and the ratio.
'   cscript //nologo web.vbs <text file>
Option Explicit
Dim asp, fso, file, t0, ours, anchor, html, ts, line, i
file = WScript.Arguments(0)
Set asp = CreateObject("ZorUtility.ASPFunctions")
Set fso = CreateObject("Scripting.FileSystemObject")

t0 = Timer
html = asp.ReadTextFile(file)
ours = Timer - t0

t0 = Timer
Dim parts(), n
ReDim parts(1023) : n = 0
Set ts = fso.OpenTextFile(file, 1)
Do While Not ts.AtEndOfStream
    line = ts.ReadLine
    If n > UBound(parts) Then ReDim Preserve parts(2 * n)
    If Trim(line) = "" Then parts(n) = "<P></P>" Else parts(n) = line & "<BR>"
    n = n + 1
Loop
ts.Close
ReDim Preserve parts(n - 1)
Dim loopHtml : loopHtml = Join(parts, "")
anchor = Timer - t0

If loopHtml <> html Then WScript.Echo "WARNING: the two results differ (" & Len(html) & " vs " & Len(loopHtml) & " characters)"
If ours < 0.001 Then ours = 0.001
WScript.Echo "ReadTextFile of " & FormatNumber(fso.GetFile(file).Size / 1048576, 2) & " MB: " & FormatNumber(ours, 3) & " s"
WScript.Echo "VBScript ReadLine loop (anchor): " & FormatNumber(anchor, 3) & " s"
WScript.Echo "ratio anchor/ours: " & FormatNumber(anchor / ours, 1) & "x faster (target: at least 50x)"
