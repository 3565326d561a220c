' Default methods with arguments, call forms on objects, single-line If with End If,
' With over an array field, copies of array fields, and misuse errors.
Class Box
    Public items
    Private Sub Class_Initialize : items = Array(1, 2, 3) : End Sub
    Public Default Function Item(i) : Item = items(i) : End Function
    Public Property Get Count : Count = UBound(items) + 1 : End Property
    Sub Show(a, b) : WScript.Echo "show", a, b : End Sub
End Class
Dim b : Set b = New Box
WScript.Echo b(1), b.Count, b.Item(2) ' expect: 2 3 3
b.Show (1), 2                         ' expect: show 1 2
Call b.Show(3, 4)                     ' expect: show 3 4
If b.Count = 3 Then : WScript.Echo "colon then" : End If ' expect: colon then
With b : .items(0) = 42 : WScript.Echo .items(0) : End With ' expect: 42
Dim x : x = b.items : x(1) = 7 : WScript.Echo b.items(1), x(1) ' expect: 2 7

On Error Resume Next
x = Nothing
WScript.Echo Err.Number ' expect: 91
Err.Clear
For Each it In b
Next
WScript.Echo Err.Number ' expect: 451
Err.Clear
Dim n : n = b
WScript.Echo Err.Number ' expect: 450
Err.Clear
Set n = 5
WScript.Echo Err.Number ' expect: 424
Err.Clear
Dim q : q = New NoSuchClass
WScript.Echo Err.Number ' expect: 506
Err.Clear
b.NoSuchMember
WScript.Echo Err.Number ' expect: 438
