' Every class created by its ProgID and one method called on each: what a registration makes work.
Class ScriptForm
    Public hwnd
    Public Width
    Public Height
    Public Sub Move(l, t)
    End Sub
End Class
Dim frm : Set frm = New ScriptForm
frm.hwnd = 0 : frm.Width = 480 : frm.Height = 360
Dim passed, failed : passed = 0 : failed = 0
Sub Eq(cls, got, expected)
    If got = expected Then
        passed = passed + 1
    Else
        failed = failed + 1 : WScript.Echo "FAIL: " & cls & ": got [" & got & "]"
    End If
End Sub
Function Make(name) : Set Make = CreateObject("ZorUtility." & name) : End Function

Eq "TextFileFunctions", Make("TextFileFunctions").ExtractFilename("C:\a\b.txt"), "b.txt"
Eq "VariousFunctions", Make("VariousFunctions").ExtractRubbish("a-b c"), "abc"
Eq "ASPFunctions", Make("ASPFunctions").GetFileDate("C:\no such file"), "File does not exist..."
Eq "Win32Functions", Make("Win32Functions").StripTerminator("ab" & Chr(0) & "c"), "ab"
Eq "EncryptFunctions", Make("EncryptFunctions").DecryptString(Make("EncryptFunctions").EncryptString("text", "pw"), "pw"), "text"
Eq "MDIFunctions", Make("MDIFunctions").StopWav(), True
Eq "FormFunctions", Make("FormFunctions").CenterForm(frm), True
Eq "RegistryFunctions", Make("RegistryFunctions").GetRegSetting("ZorUtility", "no section", "no key"), ""
Eq "DateFunctions", Make("DateFunctions").IsLeapYear(2024), True
Eq "AdvDataAccess", Make("AdvDataAccess").CloseAllACEConnections(), True
Eq "BitmapFunctions", Make("BitmapFunctions").TransparentBit(0, 0, 0, 0, 0, 0, 0, 0, 0), False
WScript.Echo passed & " passed, " & failed & " failed"
