' EncryptFunctions as a script sees them: the shared known answers, error numbers, and a file
' replaced through a flag in a script variable.
Dim ef : Set ef = CreateObject("ZorUtility.EncryptFunctions")

' The shared known answers through the script host.
Dim c, n : n = 0
For Each c In Cases("scramble")
    If c(0) = "EncryptString" Then
        Eq ef.EncryptString(c(1), c(2)), c(3), "EncryptString(" & c(1) & ")"
    Else
        Eq ef.DecryptString(c(1), c(2)), c(3), "DecryptString(" & c(1) & ")"
    End If
    n = n + 1
Next
Ok n > 25, "the case file's rows"

Dim x
On Error Resume Next
x = ef.EncryptString("text", "")
Eq Err.Number, CLng(5), "empty password"
Err.Clear
x = ef.EncryptString(String(32767, "x"), "pw")
Eq Err.Number, CLng(6), "32,767 characters"
Err.Clear
x = ef.DecryptString(String(32767, "4"), "pw")
Eq Err.Number, CLng(6), "DecryptString of 32,767 characters"
Err.Clear
On Error GoTo 0

' A file scrambled and restored, the replace flag in a variable (it arrives by reference).
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim dir : dir = ScratchDir("crypt")
Dim plain : plain = "Scrambled alike: files and strings!"
WriteText dir & "in.txt", plain
Dim flag : flag = True
Eq ef.CryptFile(dir & "in.txt", dir & "out.txt", "key", flag), True, "replace flag in a variable"
Eq fso.FileExists(dir & "out.txt"), False, "replaced through the variable"
Eq FileText(dir & "in.txt") <> plain, True, "scrambled"
Eq ef.CryptFile(dir & "in.txt", dir & "out.txt", "key", flag), True, "and back"
Eq FileText(dir & "in.txt"), plain, "restored through the variable"
Report
