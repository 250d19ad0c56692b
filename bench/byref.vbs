' 100,000 calls of AddDirSep with a variable (by reference, converted and written back) against
' 100,000 with the variable in parentheses (by value), in the same process; prints the ratio.
Option Explicit
Const N = 100000
Dim tf, i, t0, p, tRef, tVal, round, bestRef, bestVal
Set tf = CreateObject("ZorUtility.TextFileFunctions")
bestRef = 1E9 : bestVal = 1E9
For round = 1 To 3
    t0 = Timer
    For i = 1 To N
        p = "C:\logs"
        tf.AddDirSep (p)
    Next
    tVal = Timer - t0
    t0 = Timer
    For i = 1 To N
        p = "C:\logs"
        tf.AddDirSep p
    Next
    tRef = Timer - t0
    If tRef < bestRef Then bestRef = tRef
    If tVal < bestVal Then bestVal = tVal
Next
WScript.Echo "AddDirSep p x" & N & " (by reference): " & FormatNumber(bestRef, 3) & " s"
WScript.Echo "AddDirSep (p) x" & N & " (by value, the anchor): " & FormatNumber(bestVal, 3) & " s"
WScript.Echo "ratio by reference / by value: " & FormatNumber(bestRef / bestVal, 2) & " (target: at most 1.20)"
