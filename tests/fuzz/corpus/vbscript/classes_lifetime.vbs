' Class_Initialize and Class_Terminate run at the moments reference counting gives.
Class Tracked
    Public Name
    Private Sub Class_Initialize()
        WScript.Echo "init"
    End Sub
    Private Sub Class_Terminate()
        WScript.Echo "terminate " & Name
    End Sub
End Class

Dim a, b
Set a = New Tracked        ' expect: init
a.Name = "a"
Set b = a
Set a = Nothing
WScript.Echo "still held"  ' expect: still held
Set b = Nothing            ' expect: terminate a

Sub UseLocal()
    Dim t
    Set t = New Tracked    ' expect: init
    t.Name = "local"
    WScript.Echo "in sub"  ' expect: in sub
End Sub                    ' expect: terminate local
UseLocal

' Replacing the only reference terminates the old object first.
Set a = New Tracked        ' expect: init
a.Name = "first"
Set a = New Tracked        ' expect: init
' expect: terminate first
a.Name = "second"

' A default property is what a plain assignment reads.
Class Temperature
    Private degrees
    Public Default Property Get Value()
        Value = degrees
    End Property
    Public Property Let Value(v)
        degrees = v
    End Property
End Class
Dim t
Set t = New Temperature
t.Value = 21
Dim plain
plain = t
WScript.Echo plain & " " & TypeName(plain) & " " & (t + 1) ' expect: 21 Integer 22

' Private members are reachable inside the class only.
Class Secretive
    Private hidden
    Public Function Peek()
        hidden = 5
        Peek = hidden
    End Function
End Class
Dim s
Set s = New Secretive
WScript.Echo s.Peek() ' expect: 5
On Error Resume Next
WScript.Echo s.hidden
WScript.Echo Err.Number ' expect: 438
On Error GoTo 0
Set a = Nothing ' expect: terminate second
WScript.Echo "end" ' expect: end
