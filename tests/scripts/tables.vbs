' AdvDataAccess from VBScript: the types a script sees, and how the in-out flag of
' LocateACERecord travels from a script (a variable goes by reference and receives the flag as a
' Boolean; a value in parentheses or a literal goes by value).
Dim ada, data, t, ix, flag, n, r
data = CreateObject("WScript.Shell").Environment("PROCESS")("ZOR_TESTDATA") & "\xbase\"
Set ada = CreateObject("ZorUtility.AdvDataAccess")
t = ada.OpenACETable(data & "CUSTOMER.DBF")
Eq VarType(t), vbLong, "a table handle is a Long"
Ok t <> 0, "the fixture table opens"
Eq ada.OpenACETable(data & "NOSUCH.DBF"), CLng(0), "a missing table gives 0"
ix = ada.OpenACEIndex(t, data & "CUSTNAME.NTX")
Eq ada.SeekACERecord(ix, "SMITH"), True, "seek found"
Eq ada.SeekACERecord(ix, "Smith"), False, "seek not found"
Eq ada.SeekACERecord(Empty, Empty), False, "an Empty handle and key"

flag = 0
r = ada.LocateACERecord(t, "CITY = ""Lon""", (flag))
Eq r, True, "the flag in parentheses goes by value"
Eq flag, 0, "and the script's variable is unchanged"
r = ada.LocateACERecord(t, "CITY = ""Lon""", flag)
Eq r, True, "the first London"
Eq flag, True, "the variable receives the flag, as a Boolean"
' Stepping from a script: the variable now says continue.
n = 1
Do While ada.LocateACERecord(t, "", flag)
    n = n + 1
Loop
Eq n, 70, "every London from a script"
Eq ada.CloseACETable((t)), True, "close"
Eq ada.CloseACETable((t)), False, "a closed handle"

' An OEM table searched with a script's own (ANSI) text: people.tsv holds each name in ANSI,
' the record the independent engine's seek found and the records its filter NAME = name showed.
Dim fso, lines, line, f, shown
Set fso = CreateObject("Scripting.FileSystemObject")
t = ada.OpenACETable(data & "PEOPLE.DBF")
ix = ada.OpenACEIndex(t, data & "PEOPLE.NTX")
lines = Split(fso.OpenTextFile(data & "people.tsv", 1).ReadAll, vbLf)
For Each line In lines
    If line <> "" Then
        f = Split(line, vbTab)
        shown = Split(f(2), ",")
        Eq ada.SeekACERecord(ix, f(0)), True, "seek of " & f(0)
        Eq ada.ApplyACEFilter(t, "NAME = '" & f(0) & "'"), True, "filter of " & f(0)
        flag = False
        n = 0
        Do While ada.LocateACERecord(t, ".T.", flag)
            n = n + 1
        Loop
        Eq n, CInt(UBound(shown) + 1), "records shown by the filter of " & f(0)
        Eq ada.LocateACERecord(t, "RECNO() = " & shown(0), (False)), True, "the first is " & shown(0)
        Eq ada.ApplyACEFilter(t, ""), True, "no filter"
    End If
Next
Eq ada.SeekACERecord(ix, "M" & Chr(220) & "LLEN"), False, "a name that is not there"
Report
