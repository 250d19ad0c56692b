' The form utilities with a VBScript class object as the form (reached through IDispatchEx):
' what the form receives, with which types, and the errors a script sees.
' Wine's VBScript takes one name per Public statement in a class.
Class ScriptForm
    Public hwnd
    Public WindowState
    Public Visible
    Public Width
    Public Height
    Public Moves
    Public Sub Move(l, t)
        Moves = Moves & VarType(l) & "," & VarType(t) & ":" & l & "," & t & ";"
    End Sub
End Class

Dim ff : Set ff = CreateObject("ZorUtility.FormFunctions")
Dim frm : Set frm = New ScriptForm
frm.hwnd = 0 : frm.Visible = True
Eq ff.AddIconToSysTray(frm, String(70, "x"), 0), True, "AddIconToSysTray"
Eq frm.WindowState, CLng(1), "WindowState after adding"
Eq frm.Visible, False, "Visible after adding"
Eq ff.DeleteIconFromSysTray(frm, 0), True, "DeleteIconFromSysTray"
Eq frm.WindowState & frm.Visible, "1False", "the form after deleting"

' The display's size is not fixed here; the differences between two forms are.
frm.Width = 480 : frm.Height = 360
Eq ff.CenterForm(frm), True, "CenterForm"
frm.Width = 1080 : frm.Height = "360.5"
ff.CenterForm frm
Dim m : m = Split(frm.Moves, ";")
Eq Left(m(0), 4) & Left(m(1), 4), "3,3:3,3:", "Move gets Longs"
m = Split(Replace(Mid(m(0), 5) & "," & Mid(m(1), 5), ";", ""), ",")
Eq CLng(m(0) - m(2)), CLng(300), "a form 600 twips wider moves 300 to the left"
Eq CLng(m(1) - m(3)), CLng(0), "half a twip more of height rounds to even"

Dim r
On Error Resume Next
r = ff.AddIconToSysTray(New RegExp, "tip", 0)
Eq Err.Number, CLng(438), "an object without hwnd"
Err.Clear
frm.Width = "wide"
r = ff.CenterForm(frm)
Eq Err.Number, CLng(13), "a Width that is no number"
On Error GoTo 0
Report
