' The form utilities with a VBScript class object as the form: members reached without
' GetIDsOfNames, the values and types the form receives, and the errors a script sees.
' Wine's VBScript takes one name per Public statement in a class.
Class ScriptForm
    Public hwnd
    Public WindowState
    Public Visible
    Public Width
    Public Height
    Public Moves
    Private Sub Class_Initialize()
        hwnd = 0 : WindowState = 0 : Visible = True : Moves = ""
    End Sub
    Public Sub Move(l, t)
        Moves = Moves & VarType(l) & ":" & l & "," & VarType(t) & ":" & t & ";"
    End Sub
End Class

Class NoHandle
    Public WindowState
    Public Visible
End Class

Dim ff : Set ff = CreateObject("ZorUtility.FormFunctions")
Dim frm : Set frm = New ScriptForm

Eq ff.AddIconToSysTray(frm, String(70, "x"), 0), True, "AddIconToSysTray result"
Eq frm.WindowState, CLng(1), "WindowState after adding"
Eq frm.Visible, False, "Visible after adding"
Eq ff.DeleteIconFromSysTray(frm, 0), True, "DeleteIconFromSysTray result"
Eq frm.WindowState, CLng(1), "WindowState after deleting"
Eq frm.Visible, False, "Visible after deleting"

' The screen's size is whatever the display has; the differences between forms are fixed.
frm.Width = 480 : frm.Height = 360
Eq ff.CenterForm(frm), True, "CenterForm result"
frm.Width = 1080 : frm.Height = "360.5"
ff.CenterForm frm
Dim m : m = Split(frm.Moves, ";")
Eq UBound(m), CLng(2), "Move called once per centring"
Eq Left(m(0), 2) & Left(m(1), 2), "3:3:", "Move gets Longs"
Dim a, b
a = Split(Replace(m(0), "3:", ""), ",") : b = Split(Replace(m(1), "3:", ""), ",")
Eq CLng(a(0)) - CLng(b(0)), CLng(300), "a form 600 twips wider moves 300 to the left"
Eq CLng(a(1)) - CLng(b(1)), CLng(0), "half a twip more of height rounds to even"

Dim r
On Error Resume Next
r = ff.AddIconToSysTray(New NoHandle, "tip", 0)
Eq Err.Number, CLng(438), "an object without hwnd"
Err.Clear
r = ff.CenterForm(Nothing)
Eq Err.Number, CLng(424), "Nothing as the form"
Err.Clear
frm.Width = "wide"
r = ff.CenterForm(frm)
Eq Err.Number, CLng(13), "a Width that is no number"
Err.Clear
On Error GoTo 0
Report
