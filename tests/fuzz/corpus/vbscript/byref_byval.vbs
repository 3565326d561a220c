' Argument passing: ByRef is the default, ByVal copies, parentheses make a copy, array
' elements and class fields go by reference too.
Sub AddOne(n)
    n = n + 1
End Sub
Sub AddOneByVal(ByVal n)
    n = n + 1
End Sub

Dim x
x = 1
AddOne x
WScript.Echo x ' expect: 2
AddOneByVal x
WScript.Echo x ' expect: 2
AddOne (x)
WScript.Echo x ' expect: 2
Call AddOne(x)
WScript.Echo x ' expect: 3

Dim a(2)
a(1) = 10
AddOne a(1)
WScript.Echo a(1) ' expect: 11
Dim m(1, 1)
m(1, 0) = 5
Call AddOne(m(1, 0))
WScript.Echo m(1, 0) ' expect: 6

' The element reference does not make the array a copy: later writes are seen.
Dim b
b = Array(1, 2, 3)
AddOne b(0)
b(2) = 30
WScript.Echo Join(b, ",") ' expect: 2,2,30

' A copy of an array is independent of the original.
Dim c
c = b
c(0) = 99
WScript.Echo b(0) & " " & c(0) ' expect: 2 99

Class Counter
    Public Value
    Sub Bump()
        AddOne Value
    End Sub
End Class
Dim k
Set k = New Counter
k.Value = 7
k.Bump
WScript.Echo k.Value ' expect: 8

' An expression argument is a temporary: writing it changes nothing outside.
Dim y
y = 5
AddOne y + 0
WScript.Echo y ' expect: 5

' ByRef into a procedure argument that is itself ByRef reaches the original.
Sub Twice(v)
    AddOne v
    AddOne v
End Sub
Twice y
WScript.Echo y ' expect: 7
