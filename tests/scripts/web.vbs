' ASPFunctions from VBScript, as a page script calls it: results and their subtypes.
Dim asp, fso, dir, f, r
Set asp = CreateObject("ZorUtility.ASPFunctions")
Set fso = CreateObject("Scripting.FileSystemObject")
dir = ScratchDir("web")

' Hit counter: Integer 1 for a new file, Long afterwards.
f = dir & "hits.cnt"
r = asp.GetCounter(f, True)
Eq r, CInt(1), "new counter"
Eq VarType(r), vbInteger, "new counter is an Integer"
r = asp.GetCounter(f, True)
Eq r, CLng(2), "incremented counter"
Eq VarType(r), vbLong, "incremented counter is a Long"
Eq asp.GetCounter(f), CLng(2), "read without counting"
Eq asp.GetCounter(f, False), CLng(2), "False does not count"
Eq asp.GetCounter(f, 1), CLng(2), "1 does not count"
WriteText f, ""
r = asp.GetCounter(f, True)
Eq VarType(r), vbString, "a failure is its error text, a String"

' File date.
Eq asp.GetFileDate(f), FormatDateTime(fso.GetFile(f).DateLastModified, vbLongDate), "long date"
Eq VarType(asp.GetFileDate(f)), vbString, "the date is a String"

' Text file as HTML.
f = dir & "news.txt"
WriteText f, "Hello" & vbCrLf & vbCrLf & "World" & vbCrLf & "  <b>x</b>  "
Eq asp.ReadTextFile(f), "Hello<BR><P></P>World<BR>  <b>x</b>  <BR>", "ReadTextFile"

' Directory as a drop-down list, the optional flag left out or given a String.
fso.CreateFolder dir & "docs"
WriteText dir & "docs\archive.tar.gz", ""
Eq asp.ComboListDirectory("docs", dir & "docs"), "<select name='docs'><option>archive</select>", "list without extensions"
Eq asp.ComboListDirectory("docs", dir & "docs", "perhaps"), "There was an error in the ComboListDirectory function: 13 Type mismatch", "bad blnExtension"

Report
