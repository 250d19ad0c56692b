' Whole-file reading and file attributes from VBScript.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Dim dir : dir = ScratchDir("read")

' ---- existence
WriteText dir & "a.txt", "a"
WriteText dir & "hidden.txt", "h"
fso.GetFile(dir & "hidden.txt").Attributes = 2
fso.CreateFolder dir & "sub"
fso.CreateFolder dir & ".hiddendir" ' dot-directories are hidden under Wine
Eq tf.FileExists(dir & "a.txt"), True, "FileExists of a file"
Eq tf.FileExists(dir & "sub"), False, "FileExists of a directory"
Eq tf.FileExists(dir & "hidden.txt"), False, "FileExists of a hidden file"
Eq tf.FileExists(dir & "*.txt"), True, "FileExists of a pattern"
Eq tf.FileExists(dir & "*.zzz"), False, "FileExists of a pattern without a match"
Eq tf.DirExists(dir & "a.txt"), True, "DirExists of a file"
Eq tf.DirExists(dir & "sub"), True, "DirExists of a directory"
Eq tf.DirExists(dir & "sub\"), True, "DirExists of an empty directory with its separator"
Eq tf.DirExists(dir & ".hiddendir"), False, "DirExists of a hidden directory"
Eq tf.DirExists(dir & "missing\path"), False, "DirExists of a missing path"
Eq tf.FileExists(""), False, "FileExists of an empty name"

' ---- ReadTextFileString
WriteText dir & "fields.txt", "a,b" & vbCrLf & "c"
Eq tf.ReadTextFileString(dir & "fields.txt"), "abc", "ReadTextFileString joins the fields"
WriteText dir & "quoted.txt", """x"""
Eq tf.ReadTextFileString(dir & "quoted.txt"), "x", "a quoted field"
WriteText dir & "empty.txt", ""
Eq tf.ReadTextFileString(dir & "empty.txt"), "", "an empty file"
WriteText dir & "lone.txt", "lone" & vbCr & "cr" & vbLf & "lf"
Eq tf.ReadTextFileString(dir & "lone.txt"), "lonecrlf", "lone CR and LF end fields"
Eq tf.ReadTextFileString(dir & "missing.txt"), "File Does Not Exist!!!", "a missing file"
Dim busy : Set busy = fso.OpenTextFile(dir & "fields.txt", 8)
Eq tf.ReadTextFileString(dir & "fields.txt"), "There was an error in the ReadTextFileString function: 70 ...Permission denied", "a file in use"
busy.Close
Eq tf.ReadTextFileString(dir & "fields.txt"), "abc", "nothing stays open after the failure"

' ---- ReadTextFileVariant
WriteText dir & "lines.txt", "one" & vbCrLf & vbCrLf & "three" & vbCrLf
Dim a : a = tf.ReadTextFileVariant(dir & "lines.txt")
Eq VarType(a), vbArray + vbVariant, "an array of Variants"
Eq LBound(a), CLng(0), "lower bound 0"
Eq UBound(a), CLng(2), "three lines"
Eq a(0), "one", "line 1"
Eq a(1), "", "line 2 is empty"
Eq a(2), "three", "line 3"
WriteText dir & "last.txt", "a" & vbCrLf & "no line end"
a = tf.ReadTextFileVariant(dir & "last.txt")
Eq UBound(a), CLng(1), "a last line without a line end"
Eq a(1), "no line end", "is read"
Eq IsNull(tf.ReadTextFileVariant(dir & "empty.txt")), True, "an empty file gives Null"
Eq IsNull(tf.ReadTextFileVariant(dir & "missing.txt")), True, "a missing file gives Null"

' ---- SetFileDate and GetShortName
Eq tf.SetFileDate(dir & "a.txt", DateSerial(1998, 12, 9) + TimeSerial(14, 30, 15)), True, "SetFileDate"
Eq tf.SetFileDate(dir & "missing.txt", Now), False, "SetFileDate of a missing file"
Dim longName : longName = dir & "a rather long file name.text"
WriteText longName, "x"
Dim s : s = tf.GetShortName(longName)
Eq fso.FileExists(s), True, "the short name names the file"
Ok InStr(s, " ") = 0, "the short name has no spaces"
Dim newName : newName = dir & "a new folder\another long file name.text"
s = tf.GetShortName(newName)
Ok Len(s) > 0 And InStr(Mid(s, Len(dir) + 1), " ") = 0, "the short name of a file not there yet"
Eq fso.FileExists(newName), False, "the file is removed again"
Eq fso.FolderExists(dir & "a new folder"), False, "the folder is removed again"

' ---- ShellTextFile with a VBScript class as the form
Dim sh : Set sh = CreateObject("WScript.Shell")
sh.RegWrite "HKCR\.zorvbs\", "ZorTest.VbsShell"
sh.RegWrite "HKCR\ZorTest.VbsShell\shell\open\command\", "C:\windows\system32\cmd.exe /c copy /y ""%1"" ""%1.ran"""
Class FormStub
    Public reads
    Public Property Get hwnd
        reads = reads + 1
        hwnd = 0
    End Property
End Class
Dim form : Set form = New FormStub
form.reads = 0
WriteText dir & "note.zorvbs", "opened"
Dim result : result = tf.ShellTextFile(form, dir & "note.zorvbs")
Ok result > 32, "ShellTextFile runs the associated program"
Eq form.reads, 1, "the form's hwnd is read once"
' The program runs on its own (Wine's WScript.Sleep is a stub, so the wait spins).
Dim t0 : t0 = Timer
Do While Not fso.FileExists(dir & "note.zorvbs.ran") And Timer - t0 < 30
Loop
t0 = Timer
Do While Timer - t0 < 0.3
Loop
Eq FileText(dir & "note.zorvbs.ran"), "opened", "the program ran on the file"
Eq tf.ShellTextFile(form, dir & "a.txt.zornone"), CLng(2), "a missing file: the platform's code"

Class NoWindow
    Public name
End Class
On Error Resume Next
result = tf.ShellTextFile(New NoWindow, dir & "note.zorvbs")
Eq Err.Number, CLng(438), "a form without hwnd"
On Error Goto 0

Report
