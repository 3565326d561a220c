' Loop forms at their edges.
Dim i, s
s = ""
For i = 1 To 2 Step 0.5
    s = s & i & " "
Next
WScript.Echo s & "| " & i ' expect: 1 1.5 2 | 2.5

s = ""
For i = 3 To 1 Step -1
    s = s & i
Next
WScript.Echo s & " " & i ' expect: 321 0

' Limits are evaluated once.
Dim n
n = 3
s = 0
For i = 1 To n
    n = 10
    s = s + 1
Next
WScript.Echo s ' expect: 3

' Exit Do leaves only the innermost Do.
Dim outer, inner
outer = 0
Do
    outer = outer + 1
    inner = 0
    Do
        inner = inner + 1
        If inner = 3 Then Exit Do
    Loop
    If outer = 2 Then Exit Do
Loop
WScript.Echo outer & " " & inner ' expect: 2 3

' For Each over a copy: changing the array inside the loop does not change the walk.
Dim arr, item
arr = Array(1, 2, 3)
s = ""
For Each item In arr
    arr(2) = 99
    s = s & item
Next
WScript.Echo s & " " & arr(2) ' expect: 123 99

' Exit For from inside a Select inside a For.
For i = 1 To 10
    Select Case i
    Case 4
        Exit For
    End Select
Next
WScript.Echo i ' expect: 4

Dim k
k = 0
While k < 5
    k = k + 2
Wend
WScript.Echo k ' expect: 6

Do Until k = 0
    k = k - 3
    If k < 0 Then k = 0
Loop
WScript.Echo k ' expect: 0

' Integer counters widen as they count.
For i = 32766 To 32768
Next
WScript.Echo TypeName(i) & " " & i ' expect: Long 32769
