' Under On Error Resume Next, a failing loop or block header goes on inside the body with Err
' set, and a loop whose header failed runs its body once.
Function Fail()
    Err.Raise 11
End Function
Dim x, n, trail
On Error Resume Next

For Each x In Fail()
    n = n + 1
    trail = trail & "[each " & Err.Number & "]"
Next
WScript.Echo n, trail ' expect: 1 [each 11]
Err.Clear

n = 0: trail = ""
For x = Fail() To 3
    n = n + 1
    trail = trail & "[for " & Err.Number & "]"
Next
WScript.Echo n, trail ' expect: 1 [for 11]
Err.Clear

n = 0: trail = ""
For x = 1 To Fail()
    n = n + 1
Next
WScript.Echo n ' expect: 1
Err.Clear

' A Null limit is refused at the start, and the body runs once as for any failing header.
n = 0
For x = 1 To Null
    n = n + 1
    trail = Err.Number
Next
WScript.Echo n, trail ' expect: 1 94
Err.Clear

' A Do or While condition that fails goes on in the body each time it is tested.
n = 0: trail = ""
Do While Fail()
    n = n + 1
    trail = trail & Err.Number
    Err.Clear
    If n = 2 Then Exit Do
Loop
WScript.Echo n, trail ' expect: 2 1111
Err.Clear

Dim fails
Function FailTwice()
    fails = fails + 1
    If fails <= 2 Then Err.Raise 5
    FailTwice = fails < 5
End Function
n = 0: trail = ""
While FailTwice()
    n = n + 1
    trail = trail & Err.Number
    Err.Clear
Wend
WScript.Echo n, trail ' expect: 4 5500
Err.Clear

' A failing Case value runs that case's body; a failing subject is tested as Empty.
trail = ""
Select Case 2
Case 1: trail = trail & "one"
Case Fail(): trail = trail & "failed case " & Err.Number
Case 2: trail = trail & "two"
End Select
WScript.Echo trail ' expect: failed case 11
Err.Clear
Select Case Fail()
Case 1: trail = "one"
Case Empty: trail = "empty subject " & Err.Number
Case Else: trail = "else"
End Select
WScript.Echo trail ' expect: empty subject 11
Err.Clear

With Fail()
    trail = "with body " & Err.Number
End With
WScript.Echo trail ' expect: with body 11
Err.Clear

' Loops whose headers succeed are not touched.
n = 0
For Each x In Array(1, 2, 3)
    n = n + x
Next
For x = 1 To 3
    n = n + x
Next
WScript.Echo n, Err.Number ' expect: 12 0
