' INI files from VBScript: values through the platform, the first line and blank lines.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Dim dir : dir = ScratchDir("ini")
Dim ini : ini = dir & "app.ini"

WriteText ini, "[General]" & vbCrLf & "Colour=Blue   " & vbCrLf & "Empty=" & vbCrLf & "Long=" & String(300, "x") & vbCrLf
Eq tf.ReadIniFile(ini, "General", "Colour"), "Blue", "ReadIniFile trims"
Eq tf.ReadIniFile(ini, "General", "Missing"), "", "a missing key"
Eq tf.ReadIniFile(ini, "Nowhere", "Colour"), "", "a missing section"
Eq tf.ReadIniFile(dir & "none.ini", "General", "Colour"), "", "a missing file"
Eq tf.ReadIniFile(ini, "General", "Empty"), "", "an empty value"
Eq tf.ReadIniFile(ini, "General", "Long"), String(254, "x"), "a long value is cut"

Dim fresh : fresh = dir & "fresh.ini"
Eq tf.WriteINIFile(fresh, "General", "Colour", "Blue"), True, "WriteINIFile on a missing file"
Eq FileText(fresh), "[General]" & vbCrLf & "Colour=Blue" & vbCrLf, "the file it wrote"
Eq tf.ReadIniFile(fresh, "General", "Colour"), "Blue", "and read back"
Eq tf.WriteINIFile(dir & "no\such\a.ini", "General", "Colour", "Blue"), False, "WriteINIFile in a missing folder"

Eq tf.CreateINIFile(ini, "[General]"), True, "CreateINIFile on an existing file"
Eq FileText(ini), "[General]" & vbCrLf, "emptied, with its first line"
Eq tf.CreateINIFile(dir & "bare.ini"), True, "CreateINIFile without a header"
Eq FileText(dir & "bare.ini"), "", "an empty file"
Eq tf.CreateINIFile(dir & "no\such\a.ini", "[x]"), False, "CreateINIFile in a missing folder"

Eq tf.WriteINIFileBlankLine(ini), True, "WriteINIFileBlankLine"
Eq FileText(ini), "[General]" & vbCrLf & vbCrLf & vbCrLf, "two empty lines at the end"
Eq tf.WriteINIFileBlankLine(dir & "none.ini"), False, "WriteINIFileBlankLine on a missing file"
Eq fso.FileExists(dir & "none.ini"), False, "creates nothing"

Dim busy : Set busy = fso.OpenTextFile(ini, 8)
On Error Resume Next
Dim r : r = tf.WriteINIFileBlankLine(ini)
Eq Err.Number, CLng(70), "WriteINIFileBlankLine on a file in use"
On Error Goto 0
busy.Close
Eq tf.CreateINIFile(ini, "[Again]"), True, "nothing stays open after the failure"

Report
