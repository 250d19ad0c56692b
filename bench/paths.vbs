' 100,000 calls of ExtractExtension against 100,000 calls of the scripting runtime's
' GetExtensionName, in the same process; prints the times and the ratio ours / anchor.
Option Explicit
Const N = 100000
Dim tf, fso, i, t0, ours, anchor, r, round, bestOurs, bestAnchor
Set tf = CreateObject("ZorUtility.TextFileFunctions")
Set fso = CreateObject("Scripting.FileSystemObject")
bestOurs = 1E9 : bestAnchor = 1E9
' Alternate the two loops a few times and keep each one's best round, so that neither pays
' for warming up.
For round = 1 To 3
    t0 = Timer
    For i = 1 To N
        r = fso.GetExtensionName("C:\logs\app.log")
    Next
    anchor = Timer - t0
    t0 = Timer
    For i = 1 To N
        r = tf.ExtractExtension("C:\logs\app.log")
    Next
    ours = Timer - t0
    If ours < bestOurs Then bestOurs = ours
    If anchor < bestAnchor Then bestAnchor = anchor
Next
WScript.Echo "ExtractExtension x" & N & ": " & FormatNumber(bestOurs, 3) & " s"
WScript.Echo "FileSystemObject.GetExtensionName x" & N & " (anchor): " & FormatNumber(bestAnchor, 3) & " s"
WScript.Echo "ratio ours/anchor: " & FormatNumber(bestOurs / bestAnchor, 2) & " (target: at most 0.65)"
