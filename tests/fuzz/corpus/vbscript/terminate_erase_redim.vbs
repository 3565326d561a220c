Class T
    Public Tag
    Private Sub Class_Terminate
        ReDim Preserve b(5)
        Erase c
        Set o = Nothing
    End Sub
End Class
Dim b(), c(3), o
ReDim b(2)
Set b(0) = New T
Set c(1) = New T
Set o = New T
Set o.Tag = New T
Erase b
ReDim c(7)
o = 5
