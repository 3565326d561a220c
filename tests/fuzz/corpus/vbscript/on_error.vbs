' On Error Resume Next continues after the failing statement; an error in an If condition
' continues inside the Then branch, as VBScript does.
On Error Resume Next
Dim x
x = 1 / 0
WScript.Echo Err.Number ' expect: 11
Err.Clear
If 1 / 0 = 5 Then
    WScript.Echo "then branch" ' expect: then branch
Else
    WScript.Echo "else"
End If
Err.Clear

' An error inside a called procedure without a handler abandons the procedure.
Sub Failing()
    WScript.Echo "start" ' expect: start
    Err.Raise 1234, "mine", "custom failure"
    WScript.Echo "not reached"
End Sub
Failing
WScript.Echo Err.Number & " " & Err.Source & " " & Err.Description ' expect: 1234 mine custom failure
Err.Clear

' vbObjectError based numbers keep their value.
Err.Raise vbObjectError + 1
WScript.Echo Err.Number ' expect: -2147221503
On Error GoTo 0
WScript.Echo Err.Number ' expect: 0
Err.Raise 9
' expect error: Subscript out of range
