' Script variables given to by-reference parameters: the method sees the value converted to
' the declared type and the variable receives the new value, with that type.
Dim tf : Set tf = CreateObject("ZorUtility.TextFileFunctions")
Dim vf : Set vf = CreateObject("ZorUtility.VariousFunctions")

Dim s : s = "C:\temp"
tf.AddDirSep s
Eq s, "C:\temp\", "AddDirSep updates the variable"
tf.AddURLDirSep s
Eq s, "C:\temp\", "AddURLDirSep leaves a path that ends in a separator"
s = "http://host/dir"
tf.AddURLDirSep s
Eq s, "http://host/dir/", "AddURLDirSep updates the variable"

' A number in a variable goes in as the declared String and comes back as one.
Dim n : n = 42
tf.AddDirSep n
Eq n, "42\", "a number variable becomes the String result"

' With parentheses the argument goes by value: the variable stays as it was.
s = "C:\x"
tf.AddDirSep (s)
Eq s, "C:\x", "AddDirSep (s) leaves the variable"

' Sleep's Double: an Integer variable comes back as a Double holding the same value.
Dim secs : secs = 0
Eq vf.Sleep(secs), False, "Sleep with a variable runs"
Eq secs, CDbl(0), "the Integer variable comes back as a Double"
Dim t0 : t0 = Timer
secs = "0.3"
vf.Sleep secs
Ok Timer - t0 >= 0.25 Or Timer < t0, "a String variable holding a number is waited for"
Eq secs, CDbl(0.3), "and comes back as a Double"

' Values that cannot take the declared type: error 13 and the method does not run.
Dim cases : cases = Array("abc", Null, Array(1, 2))
Dim i, v
For i = 0 To UBound(cases)
    v = cases(i)
    t0 = Timer
    On Error Resume Next
    vf.Sleep v
    Eq Err.Number, CLng(13), "Sleep with case " & i & ": type mismatch"
    Err.Clear
    On Error GoTo 0
    Ok Timer - t0 < 0.2 Or Timer < t0, "nothing ran for case " & i
Next
Dim a : a = Array("x")
On Error Resume Next
tf.AddDirSep a
Eq Err.Number, CLng(13), "AddDirSep with an array: type mismatch"
Err.Clear
On Error GoTo 0
Eq VarType(a), 8204, "the array variable is left as it was"

Report
