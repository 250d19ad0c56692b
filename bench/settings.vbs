' The settings store against the shell object's registry calls on the same values, in the same
' process: 10,000 reads, 10,000 writes, and one section listing of 1,000 keys against 1,000
' single reads (the listing timed over ten calls). Each pair alternates three rounds and keeps each side's best.
Option Explicit
Const N = 10000, KEYS = 1000
Const PATH = "HKCU\Software\VB and VBA Program Settings\ZorBench\"
Dim rf, sh, i, t0, r, round, best(5), names
Set rf = CreateObject("ZorUtility.RegistryFunctions")
Set sh = CreateObject("WScript.Shell")
For i = 0 To 5 : best(i) = 1E9 : Next
names = Array("GetRegSetting x" & N, "WScript.Shell RegRead x" & N & " (anchor)", _
              "SaveRegSetting x" & N, "WScript.Shell RegWrite x" & N & " (anchor)", _
              "GetAllRegSettings of " & KEYS & " keys", "GetRegSetting x" & KEYS & " (anchor)")

Sub Keep(slot, seconds)
    If seconds < best(slot) Then best(slot) = seconds
End Sub

rf.DeleteRegSetting "ZorBench", "Main"
rf.DeleteRegSetting "ZorBench", "List"
rf.SaveRegSetting "ZorBench", "Main", "Key", "a value of some thirty characters"
For i = 1 To KEYS
    rf.SaveRegSetting "ZorBench", "List", "Key" & i, "value number " & i
Next

For round = 1 To 3
    t0 = Timer : For i = 1 To N : r = rf.GetRegSetting("ZorBench", "Main", "Key") : Next : Keep 0, Timer - t0
    t0 = Timer : For i = 1 To N : r = sh.RegRead(PATH & "Main\Key") : Next : Keep 1, Timer - t0
    t0 = Timer : For i = 1 To N : rf.SaveRegSetting "ZorBench", "Main", "Key", "value " & i : Next : Keep 2, Timer - t0
    t0 = Timer : For i = 1 To N : sh.RegWrite PATH & "Main\Key", "value " & i, "REG_SZ" : Next : Keep 3, Timer - t0
    t0 = Timer : For i = 1 To 10 : r = rf.GetAllRegSettings("ZorBench", "List") : Next : Keep 4, (Timer - t0) / 10
    t0 = Timer : For i = 1 To KEYS : r = rf.GetRegSetting("ZorBench", "List", "Key" & i) : Next : Keep 5, Timer - t0
Next
For i = 0 To 5
    WScript.Echo names(i) & ": " & FormatNumber(best(i), 3) & " s"
Next
WScript.Echo "ratio GetRegSetting/RegRead: " & FormatNumber(best(0) / best(1), 2) & " (target: at most 1.00)"
WScript.Echo "ratio SaveRegSetting/RegWrite: " & FormatNumber(best(2) / best(3), 2) & " (target: at most 1.00)"
WScript.Echo "ratio GetAllRegSettings/" & KEYS & " GetRegSetting: " & FormatNumber(best(4) / best(5), 2)
rf.DeleteRegSetting "ZorBench", "Main"
rf.DeleteRegSetting "ZorBench", "List"
