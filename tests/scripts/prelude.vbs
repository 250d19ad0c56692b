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

' Scratch files: a fresh folder under the temp folder, files written and read as text.
Function ScratchDir(name)
    Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
    Dim root : root = fso.GetSpecialFolder(2) & "\zorvbs"
    If Not fso.FolderExists(root) Then fso.CreateFolder root
    ScratchDir = root & "\" & name & "\"
    If fso.FolderExists(ScratchDir) Then fso.DeleteFolder Left(ScratchDir, Len(ScratchDir) - 1), True
    fso.CreateFolder ScratchDir
End Function
Function FileText(path)
    Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
    FileText = "<missing>"
    If Not fso.FileExists(path) Then Exit Function
    FileText = ""
    If fso.GetFile(path).Size > 0 Then FileText = fso.OpenTextFile(path, 1).ReadAll
End Function
Sub WriteText(path, text)
    Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
    Dim ts : Set ts = fso.CreateTextFile(path, True, False)
    ts.Write text
    ts.Close
End Sub
Function YMD(d)
    YMD = Year(d) & Right("0" & Month(d), 2) & Right("0" & Day(d), 2)
End Function
' The rows of a case file of the test data (cases\NAME.tsv), which the C++ tests read too:
' tab-separated fields, "<N>" standing for the character of code N (below 256), "#" lines comments.
Function Cases(name)
    Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
    Dim path : path = CreateObject("WScript.Shell").Environment("PROCESS")("ZOR_TESTDATA") & "\cases\" & name & ".tsv"
    Dim lines : lines = Split(Replace(fso.OpenTextFile(path, 1).ReadAll, vbCr, ""), vbLf)
    Dim rows : Set rows = CreateObject("Scripting.Dictionary") ' Wine's VBScript fails on ReDim here
    Dim line, f, i
    For Each line In lines
        If Len(line) > 0 And Left(line, 1) <> "#" Then
            f = Split(line, vbTab)
            For i = 0 To UBound(f) : f(i) = Unescaped(f(i)) : Next
            rows.Add rows.Count, f
        End If
    Next
    Cases = rows.Items
End Function
Function Unescaped(field)
    Dim re, m, t
    Set re = New RegExp
    re.Pattern = "<([0-9]+)>"
    re.Global = True
    t = field
    For Each m In re.Execute(field)
        t = Replace(t, m.Value, Chr(CLng(m.SubMatches(0))))
    Next
    Unescaped = t
End Function
