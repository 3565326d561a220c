' Results that used to come out wrong without an error.

' --- ByRef arguments that are elements of one array ---
Sub SetBoth(ByRef a, ByRef b)
    a = "A"
    b = "B"
End Sub
Sub Swap(ByRef a, ByRef b)
    Dim t: t = a: a = b: b = t
End Sub
x = Array("p", "q")
SetBoth x(0), x(1)
WScript.Echo Join(x, ",")
' expect: A,B
Dim m(1, 1)
SetBoth m(0, 0), m(1, 1)
WScript.Echo m(0, 0) & m(1, 1)
' expect: AB
' An array shared with another variable is copied once; the copy gets both writes.
x = Array(1, 2)
y = x
SetBoth x(0), x(1)
WScript.Echo Join(x, ",") & " " & Join(y, ",")
' expect: A,B 1,2
' The same element twice: the later write stays.
x = Array(1, 2)
SetBoth x(0), x(0)
WScript.Echo Join(x, ",")
' expect: B,2
' Elements of two arrays, and a sort that swaps elements.
x = Array(1, 2): z = Array(3, 4)
SetBoth x(1), z(0)
WScript.Echo Join(x, ",") & " " & Join(z, ",")
' expect: 1,A B,4
s = Array(5, 3, 9, 1, 7)
For i = 0 To UBound(s) - 1
    For j = 0 To UBound(s) - 1 - i
        If s(j) > s(j + 1) Then Swap s(j), s(j + 1)
    Next
Next
WScript.Echo Join(s, " ")
' expect: 1 3 5 7 9

' --- + with Empty ---
WScript.Echo "M" + Empty & "|" & Empty + "N"
' expect: M|N
r = r + "M"
r = r + "N"
WScript.Echo r & " " & TypeName(Empty + "x") & " " & TypeName(Empty + Empty) & " " & (Empty + 2)
' expect: MN String Integer 2
WScript.Echo TypeName(Null + "x")
' expect: Null

' --- variables named like built-in functions ---
Dim year: year = 2008
WScript.Echo year
' expect: 2008
For len = 1 To 2: WScript.Echo "len " & len: Next
' expect: len 1
' expect: len 2
Function Shout(t)
    Dim lcase
    lcase = UCase(t)
    Shout = lcase & "!"
End Function
WScript.Echo Shout("hi")
' expect: HI!
Function Months()
    For month = 1 To 3: Months = Months & month: Next
End Function
WScript.Echo Months()
' expect: 123
' A script-level variable hides the built-in inside procedures too.
Sub ShowYear(): WScript.Echo "year " & year: End Sub
ShowYear
' expect: year 2008
' Elsewhere the built-ins are untouched.
WScript.Echo Day(DateSerial(2020, 5, 17)) & " " & LCase("AB")
' expect: 17 ab

' --- back-reference to a group that took no part ---
Set re = New RegExp
re.Pattern = "(x)?\1y"
WScript.Echo re.Test("y") & " " & re.Test("xxy") & " " & re.Test("z")
' expect: True True False
re.Pattern = "^(a)?(b)\1\2$"
WScript.Echo re.Test("bb") & " " & re.Test("abab") & " " & re.Test("abb")
' expect: True True False

' --- hexadecimal and octal literals ---
WScript.Echo &hffff& & " " & &h00ff00& & " " & &hFFFF & " " & TypeName(&hFFFF) & " " & TypeName(&hffff&)
' expect: 65535 65280 -1 Integer Long
WScript.Echo &h8000& & " " & &h8000 & " " & &hFFFFFFFF& & " " & &o177777& & " " & &o177777
' expect: 32768 -32768 -1 65535 -1
WScript.Echo (vbGreen = &h00ff00&) & " " & (vbYellow = &h00ffff&)
' expect: True True

' --- a sign binds tighter than ^ ---
WScript.Echo -3 ^ 2 & " " & 2 ^ 3 ^ 2 & " " & -(3 ^ 2) & " " & 2 ^ -2 & " " & -2 ^ -2
' expect: 9 64 -9 0.25 0.25
n = 3
WScript.Echo -n ^ 2 & " " & 10 - n ^ 2 & " " & - n * 2
' expect: 9 1 -6

' --- parentheses around one argument pass it by value ---
Sub Change(v): v = "changed": End Sub
e = Array("kept", "kept")
Change (e(0))
Call Change((e(1)))
WScript.Echo Join(e, ",")
' expect: kept,kept
Change e(1)
WScript.Echo Join(e, ",")
' expect: kept,changed
v = "kept"
Change (v)
WScript.Echo v
' expect: kept
