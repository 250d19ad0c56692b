' Appends n entries to a log: append_log.vbs <log> <n> <tag> <go file>. Starts when the go file
' exists; exits 1 when an entry is refused (an error or False), 3 when the objects cannot be made
' and 10 when every entry is written: this host ends a script that dies of a run-time error with
' 0, so 0 never counts as done.
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
    ok = tf.UpdateLogFile(WScript.Arguments(0), WScript.Arguments(2) & " entry " & i & ", all of it intact")
    If Err.Number <> 0 Or Not ok Then WScript.Echo "UpdateLogFile " & i & ": " & Err.Number & " " & Err.Description : WScript.Quit 1
Next
WScript.Quit 10
