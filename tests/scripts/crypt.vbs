' EncryptFunctions as a script sees them: strings and files.
Dim ef : Set ef = CreateObject("ZorUtility.EncryptFunctions")

Eq ef.EncryptString("ABC", Chr(1) & "Ad"), "707476", "key codes of one, two and three digits"
Eq ef.EncryptString("Hello, World", "secret"), "7954595D5F1D196E5E435855", "EncryptString"
Eq ef.EncryptString("6", Chr(6)), "00", "code equal to the key code"
Eq ef.EncryptString("abc", Chr(12)), ef.EncryptString("abc", Chr(1) & Chr(2)), "same key string"
Eq ef.EncryptString("", ""), "", "empty text, empty password"
Eq ef.DecryptString("7954595D5F1D196E5E435855", "secret"), "Hello, World", "DecryptString"
Eq ef.DecryptString("7954595d5f1d196e5e435855", "secret"), "Hello, World", "lower-case digits"
Eq ef.DecryptString("704", Chr(1)), "A5", "odd length"
Eq ef.DecryptString("G1", Chr(1)), "1", "letter beyond F reads as 0"
Eq Len(ef.DecryptString(ef.EncryptString("secret text", "right"), "wrong")), CLng(11), "wrong password"

Dim s, i
s = ""
For i = 0 To 255 : s = s & Chr(i) : Next
Eq ef.DecryptString(ef.EncryptString(s, "pass"), "pass"), s, "all 256 codes"
Eq Len(ef.EncryptString(String(16383, "x"), "pw")), CLng(32766), "16,383 characters"

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

' Files, through the scripting runtime.
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim dir : dir = fso.BuildPath(fso.GetSpecialFolder(2), "zor-crypt-vbs")
If Not fso.FolderExists(dir) Then fso.CreateFolder dir
Dim fIn, fOut, fMissing
fIn = fso.BuildPath(dir, "in.txt")
fOut = fso.BuildPath(dir, "out.txt")
fMissing = fso.BuildPath(dir, "missing.txt")

Sub WriteText(path, text)
    Dim t : Set t = fso.CreateTextFile(path, True)
    t.Write text
    t.Close
End Sub
Function ReadText(path)
    Dim t : Set t = fso.OpenTextFile(path, 1)
    If t.AtEndOfStream Then ReadText = "" Else ReadText = t.ReadAll
    t.Close
End Function

Dim plain : plain = "Scrambled alike: files and strings!"
WriteText fIn, plain
WriteText fOut, String(5000, "#")
Eq ef.CryptFile(fIn, fOut, "key"), True, "CryptFile"
Eq CLng(fso.GetFile(fOut).Size), Len(plain), "output as long as the input"
Dim hexText, scrambled
scrambled = ReadText(fOut)
hexText = ""
For i = 1 To Len(scrambled) : hexText = hexText & Right("0" & UCase(Hex(Asc(Mid(scrambled, i, 1)))), 2) : Next
Eq hexText, ef.EncryptString(plain, "key"), "file and string formats agree"
Eq ReadText(fIn), plain, "input untouched"

Eq ef.CryptFile(fOut, fIn, "key", False), True, "back again"
Eq ReadText(fIn), plain, "twice restores"

Eq ef.CryptFile(fIn, fOut, "key", True), True, "replace"
Eq fso.FileExists(fOut), False, "output renamed"
Eq ef.CryptFile(fIn, fOut, "key", 1), True, "replace with 1"
Eq ReadText(fIn), plain, "replaced twice restores"

Dim flag : flag = True ' a variable arrives by reference
Eq ef.CryptFile(fIn, fOut, "key", flag), True, "replace flag in a variable"
Eq fso.FileExists(fOut), False, "replaced through the variable"
Eq ef.CryptFile(fIn, fOut, "key", flag), True, "and back"
Eq ReadText(fIn), plain, "restored through the variable"

Eq ef.CryptFile(fIn, fIn, "key", True), True, "in place"
Eq ReadText(fIn) <> plain, True, "scrambled in place"
Eq ef.CryptFile(fIn, fIn, "key"), True, "in place again"
Eq ReadText(fIn), plain, "in place twice restores"

Eq ef.CryptFile(fMissing, fOut, "key"), False, "missing input"
Eq fso.FileExists(fMissing), False, "missing input not created"
Eq fso.FileExists(fOut), False, "no output for a missing input"
Eq ef.CryptFile(fIn, fOut, ""), False, "empty password"
Eq ef.CryptFile(fIn, fOut, "key", "abc"), False, "replace flag that is no Boolean"
Eq ReadText(fIn), plain, "input kept"
Eq ef.CryptFile(fIn, fIn, "key", "abc"), False, "in place, a flag that is no Boolean"
Eq ReadText(fIn), plain, "input kept in place"
Eq fso.GetFolder(dir).Files.Count, CLng(2), "nothing left beside it"

fso.DeleteFolder dir, True
Report
