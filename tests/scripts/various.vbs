' VariousFunctions and DateFunctions as a script sees them.
Dim vf : Set vf = CreateObject("ZorUtility.VariousFunctions")

Eq vf.DataExists("   "), False, "DataExists spaces"
Eq vf.DataExists(""), False, "DataExists empty"
Eq vf.DataExists(" x "), True, "DataExists x"
Eq vf.DataExists(vbTab), True, "DataExists tab"

Dim cases, i
cases = Array( _
    "12.345", 2, "1234", "12.3", 2, "1230", "12", 2, "1200", " 12 ", 2, "1200", _
    "12.", 2, "1200", ".5", 2, "50", "12.99", 0, "12", "-1.5", 1, "-15", _
    "1.2.3", 2, "12.", "abc", 1, "abc0")
For i = 0 To UBound(cases) Step 3
    Eq vf.ExtractDecimal(cases(i), cases(i + 1)), cases(i + 2), "ExtractDecimal(" & cases(i) & ", " & cases(i + 1) & ")"
Next

Dim x
On Error Resume Next
x = vf.ExtractDecimal("1.5", -1)
Eq Err.Number, CLng(5), "ExtractDecimal with negative decimals"
Ok InStr(Err.Description, "Invalid procedure call") = 1, "description of error 5"
Err.Clear
On Error GoTo 0

Eq vf.ExtractRubbish("AB-12 c!"), "AB12c", "ExtractRubbish"
Eq vf.ExtractRubbish("Caf" & Chr(233)), "Caf", "ExtractRubbish accented"
Eq vf.ExtractRubbish(""), "", "ExtractRubbish empty"

Dim secs, t0, t1
secs = 0.5
t0 = Timer
Eq vf.Sleep((secs)), False, "Sleep result"
t1 = Timer
Ok t1 < t0 Or t1 - t0 >= 0.45, "Sleep waited (" & (t1 - t0) & " s)"
Eq vf.Sleep(0), False, "Sleep 0"
Eq vf.Sleep(-3), False, "Sleep negative"

Dim df : Set df = CreateObject("ZorUtility.DateFunctions")
Eq df.GetLastDayInMonth(DateSerial(2023, 1, 17)), 31, "January"
Eq df.GetLastDayInMonth(DateSerial(2023, 4, 3)), 30, "April"
Eq df.GetLastDayInMonth(DateSerial(1998, 2, 15)), 28, "February 1998"
Eq df.GetLastDayInMonth(DateSerial(2000, 2, 1)), 29, "February 2000"
Eq df.GetLastDayInMonth(DateSerial(1996, 2, 29) + TimeSerial(23, 59, 0)), 29, "29 February 1996 23:59"
Eq df.GetLastDayInMonth(DateSerial(1900, 2, 10)), 28, "February 1900"
Eq df.GetLastDayInMonth(DateSerial(2100, 2, 10)), 28, "February 2100"
Eq df.GetLastDayInMonth(DateSerial(1999, 12, 31)), 31, "December 1999"

Dim years, answers
years = Array(1996, 2000, 1997, 1900, 2100, 0, -4, -1, 32767, -32768)
answers = Array(True, True, False, True, True, True, True, False, False, True)
For i = 0 To UBound(years)
    Eq df.IsLeapYear(years(i)), answers(i), "IsLeapYear(" & years(i) & ")"
Next
Report
