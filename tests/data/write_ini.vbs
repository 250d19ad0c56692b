' Writes n INI values: write_ini.vbs <ini file> <n> <tag> <go file>. Key <tag>_<i> gets "value <i>
' of <tag>" in section [Load]. Starts when the go file exists; exits 1 when a write is refused and
' 10 when all are written (a script that dies of a run-time error ends with 0 under this host).
' First step: say that the script started (the test runner starts again only a host that ended
' before this line).
Dim zorStarted : zorStarted = CreateObject("WScript.Shell").Environment("PROCESS")("ZOR_STARTED")
If zorStarted <> "" Then CreateObject("Scripting.FileSystemObject").CreateTextFile(zorStarted, True).Close
Dim tf, vf, i, ok
On Error Resume Next
Set tf = CreateObject("ZorUtility.TextFileFunctions")
Set vf = CreateObject("ZorUtility.VariousFunctions")
If Err.Number <> 0 Then WScript.Echo "CreateObject: " & Err.Number & " " & Err.Description : WScript.Quit 3
Do Until tf.FileExists(WScript.Arguments(3))
    Call vf.Sleep((0.005))
Loop
For i = 1 To CLng(WScript.Arguments(1))
    ok = tf.WriteINIFile(WScript.Arguments(0), "Load", WScript.Arguments(2) & "_" & i, "value " & i & " of " & WScript.Arguments(2))
    If Err.Number <> 0 Or Not ok Then WScript.Echo "WriteINIFile " & i & ": " & Err.Number & " " & Err.Description : WScript.Quit 1
Next
WScript.Quit 10
