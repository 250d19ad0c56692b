' Log files from VBScript: creation, entries, search, daily rollover with pruning.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Dim dir : dir = ScratchDir("logs")
Dim logf : logf = dir & "app.log"

Eq tf.CreateLogFile(logf, "Started"), True, "CreateLogFile on a new file"
Eq FileText(logf), "Started" & vbCrLf, "the header line"
Eq tf.CreateLogFile(logf, "Other"), True, "CreateLogFile on an existing file"
Eq FileText(logf), "Started" & vbCrLf, "an existing log is unchanged"
Eq tf.CreateLogFile(dir & "plain.log"), True, "CreateLogFile without a header"
Eq fso.GetFile(dir & "plain.log").Size, CLng(0), "no header: an empty file"
Eq tf.CreateLogFile(dir & "no\such\app.log", "x"), False, "CreateLogFile in a missing folder"

Eq tf.UpdateLogFile(logf, "Disk Error, retry"), True, "UpdateLogFile"
Eq tf.UpdateLogFile(logf, "b"), True, "UpdateLogFile again"
Eq FileText(logf), "Started" & vbCrLf & "Disk Error, retry" & vbCrLf & "b" & vbCrLf, "the entries as written"
Eq tf.UpdateLogFile(dir & "none.log", "x"), False, "UpdateLogFile on a missing log"
Eq fso.FileExists(dir & "none.log"), False, "a missing log is not created"

Eq tf.IsInLogFile(logf, "Error"), True, "IsInLogFile Error"
Eq tf.IsInLogFile(logf, "error"), False, "IsInLogFile is case-sensitive"
Eq tf.IsInLogFile(logf, "Error, retry"), False, "a comma ends the field"
Eq tf.IsInLogFile(dir & "none.log", "x"), False, "IsInLogFile on a missing log"

' A log in use by another writer: the untrapped and the trapped modes.
Dim busy : Set busy = fso.OpenTextFile(dir & "plain.log", 8)
On Error Resume Next
Dim r : r = tf.UpdateLogFile(dir & "plain.log", "x")
Eq Err.Number, CLng(70), "UpdateLogFile on a log in use"
Eq Err.Description, "Permission denied", "its description"
On Error Goto 0
busy.Close

' Rollover: the log was last written yesterday.
Call tf.SetFileDate(logf, Date - 1 + 0.5)
Dim backup : backup = dir & YMD(Date - 1) & ".log"
WriteText backup, "an older backup of that day"
WriteText dir & YMD(Date - 8) & ".log", "expired"
WriteText dir & YMD(Date - 9) & ".log", "older, kept"
Eq tf.CreateLogFileWithBackup(logf, "Started", 7), True, "CreateLogFileWithBackup"
Eq FileText(backup), "Started" & vbCrLf & "Disk Error, retry" & vbCrLf & "b" & vbCrLf, "the backup holds yesterday's log"
Eq FileText(logf), "Started" & vbCrLf, "the new log"
Eq fso.FileExists(dir & YMD(Date - 8) & ".log"), False, "the expired backup is deleted"
Eq FileText(dir & YMD(Date - 9) & ".log"), "older, kept", "older backups stay"
Eq tf.CreateLogFileWithBackup(logf, "Started", 7), True, "the same call on the same day"
Eq FileText(logf), "Started" & vbCrLf, "changes nothing"

' A bare name against the current directory.
Dim sh : Set sh = CreateObject("WScript.Shell")
Dim oldDir : oldDir = sh.CurrentDirectory
sh.CurrentDirectory = dir
Call tf.SetFileDate(logf, Date - 2 + 0.5)
Eq tf.CreateLogFileWithBackup("app.log"), True, "CreateLogFileWithBackup with a bare name"
sh.CurrentDirectory = oldDir
Eq FileText(dir & YMD(Date - 2) & ".log"), "Started" & vbCrLf, "the backup in the current directory"
Eq FileText(logf), "", "the new log without a header"

Report
