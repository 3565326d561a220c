' Runaway recursion and huge allocations fail with VBScript's errors instead of crashing.
On Error Resume Next

Function Deep(n)
    Deep = Deep(n + 1)
End Function
Deep 0
WScript.Echo Err.Number & " " & Err.Description ' expect: 28 Out of stack space
Err.Clear

Dim big
ReDim big(100000, 100000)
WScript.Echo Err.Number & " " & Err.Description ' expect: 7 Out of memory
Err.Clear
WScript.Echo IsArray(big) ' expect: False

Dim fixed(3)
ReDim fixed(5)
WScript.Echo Err.Number ' expect: 10
Err.Clear

' A long chain of objects is released without deep native recursion.
Class Node
    Public NextNode
End Class
Dim head, cur, i
Set head = New Node
Set cur = head
For i = 1 To 200000
    Set cur.NextNode = New Node
    Set cur = cur.NextNode
Next
Set cur = Nothing
Set head = Nothing
WScript.Echo "chain released " & Err.Number ' expect: chain released 0

' Nested arrays likewise.
Dim nest
nest = Array()
For i = 1 To 100000
    nest = Array(nest)
Next
nest = Empty
WScript.Echo "nested arrays released" ' expect: nested arrays released

' A deeply nested expression compiles (or fails cleanly) rather than overflowing.
Dim text
text = String(5000, "(") & "1" & String(5000, ")")
Dim r
r = Eval(text)
WScript.Echo Err.Number ' expect: 28
