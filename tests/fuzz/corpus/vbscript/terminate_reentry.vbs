Class C
    Private Sub Class_Terminate
        a = Empty
        keep = Array("s1", "s2", "s3")
    End Sub
End Class
Dim a, keep, i
For i = 1 To 20
    a = Array(New C, 1, 2)
    a(0) = "overwrite"
Next
x = keep(0) & UBound(a)
