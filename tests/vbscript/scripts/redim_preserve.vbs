' ReDim Preserve grows and shrinks arrays in place when no other value shares them; what a
' script sees is the same as with a fresh copy each time.
Dim a, b, i, m, s
For i = 0 To 999
    ReDim Preserve a(i)
    a(i) = i * 2
Next
WScript.Echo UBound(a) & " " & a(0) & " " & a(500) & " " & a(999) ' expect: 999 0 1000 1998

' Shrinking drops the last elements; growing again gives Empty ones, not the old values.
ReDim Preserve a(2)
WScript.Echo UBound(a) & " " & a(2) ' expect: 2 4
ReDim Preserve a(5)
WScript.Echo UBound(a) & " " & IsEmpty(a(3)) & IsEmpty(a(5)) ' expect: 5 TrueTrue
s = 0
For Each i In a
    s = s + 1
Next
WScript.Echo s ' expect: 6

' A copy taken before keeps its own size and elements.
b = a
ReDim Preserve a(7)
a(0) = "changed"
WScript.Echo UBound(a) & " " & UBound(b) & " " & a(0) & " " & b(0) ' expect: 7 5 changed 0

' Several dimensions: only the last may change, and the elements keep their indexes.
ReDim m(1, 2)
m(0, 0) = "a": m(1, 0) = "b": m(0, 2) = "c": m(1, 2) = "d"
ReDim Preserve m(1, 4)
WScript.Echo UBound(m, 1) & UBound(m, 2) & m(0, 0) & m(1, 0) & m(0, 2) & m(1, 2) ' expect: 14abcd
m(1, 4) = "e"
ReDim Preserve m(1, 1)
WScript.Echo UBound(m, 2) & m(1, 0) ' expect: 1b
On Error Resume Next
ReDim Preserve m(2, 1)
WScript.Echo Err.Number ' expect: 9
Err.Clear
On Error GoTo 0

' Erase and a plain ReDim start over.
Erase a
WScript.Echo IsArray(a) ' expect: True
ReDim Preserve a(1)
WScript.Echo UBound(a) & IsEmpty(a(0)) ' expect: 1True
ReDim a(3)
WScript.Echo UBound(a) & IsEmpty(a(1)) ' expect: 3True

' The size limit counts the elements asked for.
On Error Resume Next
ReDim Preserve a(20000000)
WScript.Echo Err.Number & " " & UBound(a) ' expect: 7 3
On Error GoTo 0

' Growing the array while a loop or a ByRef argument holds on to it: both keep the elements
' they started with, and the array itself grows.
Dim e, seen
a = Array(1, 2, 3)
seen = 0
For Each e In a
    ReDim Preserve a(UBound(a) + 1)
    seen = seen + e
Next
WScript.Echo seen & " " & UBound(a) ' expect: 6 5
Sub GrowWhileHeld(arr, el)
    ReDim Preserve arr(1000)
    el = "written"
End Sub
a = Array("kept")
GrowWhileHeld a, a(0)
WScript.Echo UBound(a) & " " & a(0) ' expect: 1000 kept
