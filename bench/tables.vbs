' 100,000 calls of SeekACERecord on CUSTNAME.NTX with keys from the fixtures, against 100,000
' calls of ExtractExtension in the same process; prints the times and the ratio seek / anchor.
' Both loops do the same script work around the call (a key from the array, the result kept).
Option Explicit
Const N = 100000
Dim ada, tf, data, t, ix, keys, i, k, t0, ours, anchor, r, round, bestOurs, bestAnchor, found
data = WScript.Arguments(0)
Set ada = CreateObject("ZorUtility.AdvDataAccess")
Set tf = CreateObject("ZorUtility.TextFileFunctions")
t = ada.OpenACETable(data & "\CUSTOMER.DBF")
ix = ada.OpenACEIndex(t, data & "\CUSTNAME.NTX")
If ix = 0 Then WScript.Echo "cannot open the fixture index" : WScript.Quit 1
keys = Array("SMITH", "SM", "Smith", "ANNAB", "LI", "LI,", "O'BRIEN", "JOHNSON", "JOHNSONX", " LEADING", "AAA", "~")
bestOurs = 1E9 : bestAnchor = 1E9
For round = 1 To 3
    t0 = Timer
    For i = 1 To N
        r = tf.ExtractExtension(keys(i Mod 12))
    Next
    anchor = Timer - t0
    t0 = Timer
    For i = 1 To N
        r = ada.SeekACERecord(ix, keys(i Mod 12))
    Next
    ours = Timer - t0
    If ours < bestOurs Then bestOurs = ours
    If anchor < bestAnchor Then bestAnchor = anchor
Next
found = 0
For i = 0 To 11
    If ada.SeekACERecord(ix, keys(i)) Then found = found + 1
Next
WScript.Echo "SeekACERecord x" & N & ": " & FormatNumber(bestOurs, 3) & " s (" & found & " of the 12 keys found)"
WScript.Echo "ExtractExtension x" & N & " (anchor): " & FormatNumber(bestAnchor, 3) & " s"
WScript.Echo "ratio seek/anchor: " & FormatNumber(bestOurs / bestAnchor, 2) & " (target: at most 1.20)"
