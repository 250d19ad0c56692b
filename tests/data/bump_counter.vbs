' Increments a hit counter n times: bump_counter.vbs <counter file> <n>. Exits 1 on an error text
' (the request that creates the counter gets Integer 1, every other one a Long) and 10 when all are
' counted: this host ends a script that dies of a run-time error with 0, so 0 never counts as done.
' First step: say that the script started (the test runner starts again only a host that ended
' before this line).
Dim zorStarted : zorStarted = CreateObject("WScript.Shell").Environment("PROCESS")("ZOR_STARTED")
If zorStarted <> "" Then CreateObject("Scripting.FileSystemObject").CreateTextFile(zorStarted, True).Close
Dim asp, i, r
On Error Resume Next
Set asp = CreateObject("ZorUtility.ASPFunctions")
If Err.Number <> 0 Then WScript.Echo "CreateObject: " & Err.Number & " " & Err.Description : WScript.Quit 3
For i = 1 To CLng(WScript.Arguments(1))
    r = asp.GetCounter(WScript.Arguments(0), True)
    If Err.Number <> 0 Then WScript.Echo "GetCounter: " & Err.Number & " " & Err.Description : WScript.Quit 4
    If VarType(r) <> vbLong And Not (VarType(r) = vbInteger And r = 1) Then
        WScript.Echo "unexpected result: " & r
        WScript.Quit 1
    End If
Next
WScript.Echo "counted " & (i - 1)
WScript.Quit 10
