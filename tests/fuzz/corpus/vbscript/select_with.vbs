' Select Case lists and With blocks.
Function Kind(v)
    Select Case v
    Case 1, 2, 3
        Kind = "small"
    Case "a", "b"
        Kind = "letter"
    Case Else
        Kind = "other"
    End Select
End Function
WScript.Echo Kind(2) & " " & Kind("b") & " " & Kind(7) & " " & Kind(Null) ' expect: small letter other other

Class Point
    Public X, Y
    Public Inner
End Class
Dim p
Set p = New Point
Set p.Inner = New Point
With p
    .X = 1
    .Y = 2
    With .Inner
        .X = 10
    End With
    .Y = .Y + .Inner.X
End With
WScript.Echo p.X & " " & p.Y & " " & p.Inner.X ' expect: 1 12 10
