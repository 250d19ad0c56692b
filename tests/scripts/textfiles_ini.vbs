' INI files from VBScript: a header left out, Err.Number for a file in use, and a million
' characters or a NUL as any name, section, key or value.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Dim dir : dir = ScratchDir("ini")
Dim ini : ini = dir & "app.ini"

Dim fresh : fresh = dir & "fresh.ini"
Eq tf.WriteINIFile(fresh, "General", "Colour", "Blue"), True, "WriteINIFile on a missing file"
Eq tf.ReadIniFile(fresh, "General", "Colour"), "Blue", "and read back"
WriteText ini, "[Old]" & vbCrLf
Eq tf.CreateINIFile(ini, "[General]"), True, "CreateINIFile on an existing file"
Eq tf.CreateINIFile(dir & "bare.ini"), True, "CreateINIFile without a header"
Eq FileText(dir & "bare.ini"), "", "an empty file"

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
