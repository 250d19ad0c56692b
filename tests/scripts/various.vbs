' VariousFunctions and DateFunctions as a script sees them: the shared ExtractDecimal cases
' through the script host, error numbers, a Double passed by value, the types of results.
Dim vf : Set vf = CreateObject("ZorUtility.VariousFunctions")

Eq vf.DataExists(" x "), True, "DataExists gives a Boolean"

Dim c, n : n = 0
For Each c In Cases("decimals")
    Eq vf.ExtractDecimal(c(0), CInt(c(1))), c(2), "ExtractDecimal(" & c(0) & ", " & c(1) & ")"
    n = n + 1
Next
Ok n > 15, "the case file's rows"

Dim x
On Error Resume Next
x = vf.ExtractDecimal("1.5", -1)
Eq Err.Number, CLng(5), "ExtractDecimal with negative decimals"
Ok InStr(Err.Description, "Invalid procedure call") = 1, "description of error 5"
Err.Clear
On Error GoTo 0

Dim secs, t0, t1
secs = 0.5
t0 = Timer
Eq vf.Sleep((secs)), False, "Sleep result"
t1 = Timer
Ok t1 < t0 Or t1 - t0 >= 0.45, "Sleep waited (" & (t1 - t0) & " s)"
Eq vf.Sleep(0), False, "Sleep 0"
Eq vf.Sleep(-3), False, "Sleep negative"

Dim df : Set df = CreateObject("ZorUtility.DateFunctions")
Eq df.GetLastDayInMonth(DateSerial(2000, 2, 1)), 29, "GetLastDayInMonth of a script Date gives an Integer"
Eq df.GetLastDayInMonth(DateSerial(1996, 2, 29) + TimeSerial(23, 59, 0)), 29, "with a time of day"
Eq df.IsLeapYear(1900), True, "IsLeapYear gives a Boolean"
Report
