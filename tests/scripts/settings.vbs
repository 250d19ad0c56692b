' RegistryFunctions as a script sees them: String Variants, Empty, and a listing that a script
' can index.
Dim rf : Set rf = CreateObject("ZorUtility.RegistryFunctions")
rf.DeleteRegSetting "ZorScript", "Main"

Eq rf.SaveRegSetting("ZorScript", "Main", "Colour", "dark blue"), True, "SaveRegSetting result"
rf.SaveRegSetting "ZorScript", "Main", "Size", 12
Eq rf.GetRegSetting("ZorScript", "Main", "Colour"), "dark blue", "read back"
Eq rf.GetRegSetting("ZorScript", "Main", "Size"), "12", "a number is saved as text"
Eq rf.GetRegSetting("ZorScript", "Main", "Missing"), "", "missing key: an empty String"
Ok IsEmpty(rf.GetRegSetting("", "Main", "Colour")), "no application name: Empty"

Dim list : list = rf.GetAllRegSettings("ZorScript", "Main")
Eq VarType(list), 8204, "listing is an array of Variants"
Eq LBound(list, 1) & ":" & UBound(list, 1) & "," & LBound(list, 2) & ":" & UBound(list, 2), "0:1,0:1", "listing bounds"
Dim i, pairs
For i = 0 To UBound(list, 1)
    pairs = pairs & list(i, 0) & "=" & list(i, 1) & ";"
Next
Ok pairs = "Colour=dark blue;Size=12;" Or pairs = "Size=12;Colour=dark blue;", "listing pairs: " & pairs

' The key is optional: left out, the whole section goes.
Eq rf.DeleteRegSetting("ZorScript", "Main", "Size"), True, "delete one key"
Eq UBound(rf.GetAllRegSettings("ZorScript", "Main"), 1), CLng(0), "one key left"
Eq rf.DeleteRegSetting("ZorScript", "Main"), True, "delete the section"
Ok IsEmpty(rf.GetAllRegSettings("ZorScript", "Main")), "deleted section lists Empty"

' Null is no String: the automation layer refuses it before the method runs.
On Error Resume Next
rf.SaveRegSetting "ZorScript", "Main", "Key", Null
Eq Err.Number, CLng(13), "Null value: type mismatch"
Err.Clear
On Error GoTo 0
Ok IsEmpty(rf.GetAllRegSettings("ZorScript", "Main")), "nothing was written"
rf.DeleteRegSetting "ZorScript", "Main"
Report
