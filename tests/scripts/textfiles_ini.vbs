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

' A million characters as any name, section, key or value: the host survives and the method
' gives what a missing file or a failed write gives.
Dim huge : huge = String(1000000, "n")
Eq tf.ReadIniFile(huge, "General", "Colour"), "", "a huge bare file name reads as a missing file"
Eq tf.ReadIniFile(dir & huge, "General", "Colour"), "", "a huge path reads as a missing file"
Eq tf.WriteINIFile(huge, "General", "Colour", "Blue"), False, "a huge bare file name is a failed write"
Eq tf.WriteINIFile(dir & huge, "General", "Colour", "Blue"), False, "a huge path is a failed write"
Eq tf.ReadIniFile(fresh, huge, "Colour"), "", "a huge section"
Eq tf.ReadIniFile(fresh, "General", huge), "", "a huge key"
Dim hugeWrites : hugeWrites = Array(tf.WriteINIFile(fresh, huge, "k", "v"), tf.WriteINIFile(fresh, "General", huge, "v"), _
    tf.WriteINIFile(fresh, "General", "Huge", huge))
Eq tf.ReadIniFile(fresh, "General", "Colour"), "Blue", "the file still reads after the huge writes"
Eq tf.CreateINIFile(huge, "h"), False, "CreateINIFile with a huge name"
Eq tf.ReadIniFile(fresh & Chr(0) & "x", "General", "Colour"), "", "a name with a NUL is not the file before it"
Eq tf.WriteINIFile(fresh, "General", "Colour", "Red" & Chr(0) & "x"), False, "a value with a NUL is not written cut short"
On Error Resume Next
Dim blank : blank = tf.WriteINIFileBlankLine(huge)
Eq Err.Number, CLng(0), "WriteINIFileBlankLine with a huge name is no error"
On Error Goto 0
Eq blank, False, "and gives False"

Report
