' TransparentBit as a script calls it: nine Longs by reference, a Boolean result. A variable goes
' by reference and comes back as a Long; in parentheses it goes by value.
Dim bf : Set bf = CreateObject("ZorUtility.BitmapFunctions")
Eq bf.TransparentBit(0, 0, 0, 8, 8, 0, 0, 0, &HFF00FF), False, "no contexts"
Dim dc, r : dc = 0
r = bf.TransparentBit(dc, 0, 0, 8, 8, 0, 0, 0, 0)
Eq r, False, "a variable by reference"
Eq dc, CLng(0), "comes back as a Long"
Eq bf.TransparentBit((dc), 0, 0, 8, 8, 0, 0, 0, 0), False, "the variable in parentheses"
Report
