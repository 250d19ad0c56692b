' Whole-file reading and file attributes from VBScript: the shared existence cases through the
' script host, what a script gets back (an array it can index, its own Date), a script object
' as the form.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Dim dir : dir = ScratchDir("read")

' ---- existence: the shared cases on the same tree as the C++ tests
Dim tree : tree = ScratchDir("exists")
Dim f
For Each f In Array("a.txt", "b.log", "r.txt", "h.txt", "s.txt", ".dotfile") : WriteText tree & f, "x" : Next
fso.GetFile(tree & "r.txt").Attributes = 1
fso.GetFile(tree & "h.txt").Attributes = 2
fso.GetFile(tree & "s.txt").Attributes = 4
fso.CreateFolder tree & "sub"
WriteText tree & "sub\inner.txt", "i"
fso.CreateFolder tree & "empty"
fso.CreateFolder tree & ".hdir" ' dot-folders are hidden under Wine
Dim c, name, n : n = 0
For Each c In Cases("exists")
    name = tree & c(0)
    If c(0) = "-" Then name = ""
    If Left(c(0), 2) = "C:" Then name = c(0)
    Eq tf.FileExists(name), CBool(c(1)), "FileExists(" & c(0) & ")"
    Eq tf.DirExists(name), CBool(c(2)), "DirExists(" & c(0) & ")"
    n = n + 1
Next
Ok n > 25, "the case file's rows"

' ---- ReadTextFileString
WriteText dir & "fields.txt", "a,b" & vbCrLf & "c"
Eq tf.ReadTextFileString(dir & "fields.txt"), "abc", "ReadTextFileString joins the fields"

' ---- ReadTextFileVariant
WriteText dir & "lines.txt", "one" & vbCrLf & vbCrLf & "three" & vbCrLf
Dim a : a = tf.ReadTextFileVariant(dir & "lines.txt")
Eq VarType(a), vbArray + vbVariant, "an array of Variants"
Eq LBound(a), CLng(0), "lower bound 0"
Eq UBound(a), CLng(2), "three lines"
Eq a(0), "one", "line 1"
Eq a(1), "", "line 2 is empty"
Eq a(2), "three", "line 3"

' ---- SetFileDate and GetShortName
Eq tf.SetFileDate(dir & "fields.txt", DateSerial(1998, 12, 9) + TimeSerial(14, 30, 15)), True, "SetFileDate"
Dim longName : longName = dir & "a rather long file name.text"
WriteText longName, "x"
Dim s : s = tf.GetShortName(longName)
Eq fso.FileExists(s), True, "the short name names the file"
Eq s, longName, "a volume without 8.3 names gives the long name back"

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
Eq tf.ShellTextFile(form, dir & "a.txt.zornone"), CLng(2), "a missing file: the platform's code"

Class NoWindow
    Public name
End Class
On Error Resume Next
result = tf.ShellTextFile(New NoWindow, dir & "note.zorvbs")
Eq Err.Number, CLng(438), "a form without hwnd"
On Error Goto 0

Report
