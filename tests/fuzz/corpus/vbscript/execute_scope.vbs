' Execute runs in the current scope, ExecuteGlobal at script level, Eval reads locals.
Dim g
g = 1
Sub Work()
    Dim local
    local = 10
    Execute "local = local + 5"
    WScript.Echo local ' expect: 15
    WScript.Echo Eval("local * 2") ' expect: 30
    ExecuteGlobal "g = g + 100"
    Execute "g = g + 1"
End Sub
Work
WScript.Echo g ' expect: 102

ExecuteGlobal "Function Twice(x) : Twice = 2 * x : End Function"
WScript.Echo Twice(21) ' expect: 42

' A text handed again is compiled once and runs each time.
Dim i, total
total = 0
For i = 1 To 1000
    Execute "total = total + 1"
Next
WScript.Echo total ' expect: 1000

Dim f
Set f = GetRef("Twice")
WScript.Echo f(4) ' expect: 8

' A syntax error inside Execute is a runtime error of the Execute statement.
On Error Resume Next
Execute "If Then"
WScript.Echo Err.Number ' expect: 1023
Err.Clear
' A failing Eval abandons the whole statement it is in.
WScript.Echo Eval("1 +") & "never"
WScript.Echo Err.Number & " " & Err.Description ' expect: 1023 Expected expression
On Error GoTo 0

' A procedure may replace itself while it runs; the running code finishes.
Sub Replace_Me
    WScript.Echo "old" ' expect: old
    ExecuteGlobal "Sub Replace_Me : WScript.Echo ""new"" : End Sub"
    WScript.Echo "old still running" ' expect: old still running
End Sub
Replace_Me
Replace_Me ' expect: new
