' TransparentBit as a script calls it: nine Longs by reference, a Boolean result. Standard
' dispatch refuses a variable for a typed by-reference parameter; in parentheses it goes by value.
Dim bf : Set bf = CreateObject("ZorUtility.BitmapFunctions")
Eq bf.TransparentBit(0, 0, 0, 8, 8, 0, 0, 0, &HFF00FF), False, "no contexts"
Dim dc, r : dc = 0
On Error Resume Next
r = bf.TransparentBit(dc, 0, 0, 8, 8, 0, 0, 0, 0)
Eq Err.Number, CLng(13), "a variable by reference"
On Error GoTo 0
Eq bf.TransparentBit((dc), 0, 0, 8, 8, 0, 0, 0, 0), False, "the variable in parentheses"
Report
