' RegistryFunctions as a script sees them: String Variants, Empty, an indexable listing, an
' omitted key.
Dim rf : Set rf = CreateObject("ZorUtility.RegistryFunctions")
rf.DeleteRegSetting "ZorScript", "Main"
Eq rf.SaveRegSetting("ZorScript", "Main", "Colour", "dark blue"), True, "SaveRegSetting"
rf.SaveRegSetting "ZorScript", "Main", "Size", 12
Eq rf.GetRegSetting("ZorScript", "Main", "Size"), "12", "a number is saved as text"
Eq rf.GetRegSetting("ZorScript", "Main", "Missing"), "", "missing key: an empty String"
Ok IsEmpty(rf.GetRegSetting("", "Main", "Colour")), "no application name: Empty"
Dim list : list = rf.GetAllRegSettings("ZorScript", "Main")
Eq VarType(list), 8204, "listing: an array of Variants"
Eq UBound(list, 1) & UBound(list, 2) & LBound(list, 1) & LBound(list, 2), "1100", "listing bounds"
Ok list(0, 0) & list(0, 1) & list(1, 0) & list(1, 1) = "Colourdark blueSize12" Or _
   list(0, 0) & list(0, 1) & list(1, 0) & list(1, 1) = "Size12Colourdark blue", "listing pairs"
Eq rf.DeleteRegSetting("ZorScript", "Main"), True, "key left out: the section goes"
Ok IsEmpty(rf.GetAllRegSettings("ZorScript", "Main")), "deleted section lists Empty"
On Error Resume Next
rf.SaveRegSetting "ZorScript", "Main", "Key", Null
Eq Err.Number, CLng(13), "Null is no String: type mismatch"
Report
