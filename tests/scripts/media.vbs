' MDIFunctions as a script sees them: True results, a script object as the video's frame.
Class Frame
    Public hwnd
End Class
Dim md : Set md = CreateObject("ZorUtility.MDIFunctions")
Dim f : Set f = New Frame
f.hwnd = 0
Eq md.PlayAVIFile("C:\no such clip.avi", f), True, "PlayAVIFile with a script object as frame"
Eq md.StopAVI(), True, "StopAVI"
Dim r
On Error Resume Next
r = md.PlayAVIFile("C:\clip.avi", Nothing)
Eq Err.Number, CLng(424), "no frame: object required"
Err.Clear
r = md.PlayAVIFile("C:\clip.avi", "frame")
Eq Err.Number, CLng(13), "text as frame: type mismatch"
Report
