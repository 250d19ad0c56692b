' Log files from VBScript: optional arguments left out, Err.Number and its description for a log
' in use, a rollover by a bare name with the script's own dates.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Dim dir : dir = ScratchDir("logs")
Dim logf : logf = dir & "app.log"

Eq tf.CreateLogFile(logf, "Started"), True, "CreateLogFile on a new file"
Eq tf.UpdateLogFile(logf, "Disk Error, retry"), True, "UpdateLogFile"
Eq FileText(logf), "Started" & vbCrLf & "Disk Error, retry" & vbCrLf, "the entries as written"
Eq tf.IsInLogFile(logf, "Error"), True, "IsInLogFile"
Eq tf.CreateLogFile(dir & "plain.log"), True, "CreateLogFile without a header"
Eq fso.GetFile(dir & "plain.log").Size, CLng(0), "no header: an empty file"

' A log in use by another writer.
Dim busy : Set busy = fso.OpenTextFile(dir & "plain.log", 8)
On Error Resume Next
Dim r : r = tf.UpdateLogFile(dir & "plain.log", "x")
Eq Err.Number, CLng(70), "UpdateLogFile on a log in use"
Eq Err.Description, "Permission denied", "its description"
On Error Goto 0
busy.Close

' Rollover with the header and the days left out, by a bare name against the current directory.
Dim sh : Set sh = CreateObject("WScript.Shell")
Dim oldDir : oldDir = sh.CurrentDirectory
sh.CurrentDirectory = dir
Call tf.SetFileDate(logf, Date - 2 + 0.5)
Eq tf.CreateLogFileWithBackup("app.log"), True, "CreateLogFileWithBackup with a bare name"
sh.CurrentDirectory = oldDir
Eq FileText(dir & YMD(Date - 2) & ".log"), "Started" & vbCrLf & "Disk Error, retry" & vbCrLf, "the backup in the current directory"
Eq FileText(logf), "", "the new log without a header"

Report
