' Statement forms written in the field that the parser takes.

' --- => and =< compare ---
WScript.Echo (1 =< 2) & " " & (3 => 2) & " " & (2 =< 1) & " " & (1 => 2)
' expect: True True False False
If 5 => 5 Then WScript.Echo "ge"
' expect: ge

' --- _ continues a line right after an operator ---
t = "a" &_
    "b" &_
    "c"
WScript.Echo t
' expect: abc
b =_
  7 +_
  1
WScript.Echo b
' expect: 8
WScript.Echo Join(Array(1,_
2), "-")
' expect: 1-2

' --- & before a name that starts with a hex letter ---
hi = "there": abc = "!": ofs = "?"
WScript.Echo "x" &hi & "y" &abc &ofs
' expect: xtherey!?
WScript.Echo "n" & &h1F & "|" & &hA&
' expect: n31|10

' --- single-line If forms ---
x = 0
If True Then x = 1 Else
WScript.Echo x
' expect: 1
If False Then x = 2 Else
WScript.Echo x
' expect: 1
If True Then :
If False Then : x = 3
If True Then : x = 4
WScript.Echo x
' expect: 4
If False Then x = 5 Else x = 6 End If
WScript.Echo x
' expect: 6
Function Grade(n)
    If n >= 90 Then Grade = "A"
    ElseIf n >= 80 Then Grade = "B"
    ElseIf n >= 70 Then
        Grade = "C"
    Else Grade = "F"
    End If
End Function
WScript.Echo Grade(95) & Grade(85) & Grade(75) & Grade(10)
' expect: ABCF
' A single-line If inside a block If leaves the next Else to the block.
If True Then
    If False Then x = 7
Else
    x = 8
End If
WScript.Echo x
' expect: 6
For Each k In Array(1, 2)
    If k = 1 Then WScript.Echo "one"
Next
' expect: one

' --- End Sub, End Function and End Class after a statement ---
Sub Short() WScript.Echo "short" End Sub
Function Twice(n) Twice = 2 * n End Function
Sub Decide(n) If n Then WScript.Echo "yes" Else WScript.Echo "no" End Sub
Short
WScript.Echo Twice(21)
Decide 1: Decide 0
' expect: short
' expect: 42
' expect: yes
' expect: no
Class Tiny
    Public v End Class
Set o = New Tiny: o.v = 3: WScript.Echo o.v
' expect: 3

' --- a later definition of a procedure replaces the earlier one ---
Function Which(): Which = "first": End Function
WScript.Echo Which()
Function Which(): Which = "second": End Function
' expect: second

' --- Property as an ordinary name ---
Property = "p"
Dim Property2: Property2 = Property & "2"
WScript.Echo Property & " " & Property2
' expect: p p2
Class Holder
    Private mProperty
    Public Property Get Value: Value = mProperty: End Property
    Public Property Let Value(v): mProperty = v: End Property
End Class
Set h = New Holder: h.Value = "held": WScript.Echo h.Value
' expect: held
Class OneLiners
    Public Property Get Answer() Answer = 42 End Property
    Public Function Twice(n) Twice = n * 2 End Function
End Class
Set ol = New OneLiners: WScript.Echo ol.Answer & " " & ol.Twice(5)
' expect: 42 10

' --- parenthesised call targets ---
Function Double(n): Double = n * 2: End Function
y = (Double)(4)
WScript.Echo y
' expect: 8
arr = Array(10, 20)
z = (arr)(1): WScript.Echo z
' expect: 20
