' Test prelude: counts checks and prints "N passed, N failed" at the end (Report).
Option Explicit
Dim zorPassed, zorFailed
zorPassed = 0 : zorFailed = 0
Sub Eq(actual, expected, what)
    If VarType(actual) = VarType(expected) And actual = expected Then
        zorPassed = zorPassed + 1
    Else
        zorFailed = zorFailed + 1
        WScript.Echo "FAIL: " & what & ": got [" & actual & "] (type " & VarType(actual) & "), expected [" & expected & "] (type " & VarType(expected) & ")"
    End If
End Sub
Sub Ok(cond, what)
    If cond Then
        zorPassed = zorPassed + 1
    Else
        zorFailed = zorFailed + 1
        WScript.Echo "FAIL: " & what
    End If
End Sub
Sub Report()
    WScript.Echo zorPassed & " passed, " & zorFailed & " failed"
    If zorFailed > 0 Then WScript.Quit 1
End Sub
