' Declarations are known from the start of their scope.
Option Explicit

' A use above the Dim line, and a Dim inside an If that never runs.
early = "early"
WScript.Echo early
' expect: early
Dim early
If False Then
    Dim never
End If
never = "declared anyway"
WScript.Echo never
' expect: declared anyway

' A constant with a literal value is known above its line.
WScript.Echo Limit & " " & Negative & " " & TypeName(Limit)
' expect: 10 -2.5 Integer
Const Limit = 10, Negative = -2.5

' The same inside a procedure.
Function Area(r)
    Area = r * r * Pi
    Const Pi = 3
End Function
WScript.Echo Area(2)
' expect: 12
Sub Count()
    total = 0
    For i = 1 To 3
        total = total + i
    Next
    WScript.Echo total
    Dim total, i
End Sub
Count
' expect: 6

' A constant made from other values takes its value where it stands.
Const Eight = Four * 2
WScript.Echo Eight
' expect: 8
Const Four = 4

' A constant inside an If that never runs is known all the same.
If False Then
    Const Hidden = "hidden"
End If
WScript.Echo Hidden
' expect: hidden

' A name never declared is still refused.
WScript.Echo undeclared
' expect error: Variable is undefined
