' ReadTextFile of a 1 MB text file against the same transformation written as a VBScript loop
' (read, split into lines, blank test, "<BR>"/"<P></P>") in the same process; Wine's
' VBScript has no Join, so the loop concatenates in chunks. Prints the times and the ratio.
'   cscript //nologo web.vbs <text file>
Option Explicit
Dim asp, fso, file, t0, ours, anchor, html, ts, line, i
file = WScript.Arguments(0)
Set asp = CreateObject("ZorUtility.ASPFunctions")
Set fso = CreateObject("Scripting.FileSystemObject")

' Ours is short: the average of ten calls.
t0 = Timer
For i = 1 To 10
    html = asp.ReadTextFile(file)
Next
ours = (Timer - t0) / 10

t0 = Timer
' The file is read whole and split at its CR LF line ends (the generated file has no other line
' ends), then each line is turned into HTML as the method does it. The pieces are gathered in
' short chunks, so the loop does not copy the growing page once per line.
Dim lines, n, text, chunk, loopHtml
Set ts = fso.OpenTextFile(file, 1)
text = ts.ReadAll
ts.Close
If Right(text, 2) = vbCrLf Then text = Left(text, Len(text) - 2)
lines = Split(text, vbCrLf)
n = UBound(lines)
loopHtml = ""
chunk = ""
For i = 0 To n
    line = lines(i)
    If Trim(line) = "" Then
        chunk = chunk & "<P></P>"
    Else
        chunk = chunk & line & "<BR>"
    End If
    If i Mod 200 = 199 Then
        loopHtml = loopHtml & chunk
        chunk = ""
    End If
Next
loopHtml = loopHtml & chunk
anchor = Timer - t0

If loopHtml <> html Then WScript.Echo "WARNING: the two results differ (" & Len(html) & " vs " & Len(loopHtml) & " characters)"
If ours < 0.001 Then ours = 0.001
WScript.Echo "ReadTextFile of " & FormatNumber(fso.GetFile(file).Size / 1048576, 2) & " MB: " & FormatNumber(ours, 3) & " s"
WScript.Echo "VBScript loop over the lines (anchor): " & FormatNumber(anchor, 3) & " s"
WScript.Echo "ratio anchor/ours: " & FormatNumber(anchor / ours, 1) & "x faster (target: at least 50x)"
