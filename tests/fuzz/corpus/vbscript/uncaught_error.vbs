' An error without On Error ends the script with VBScript's message; what ran before stays.
Dim a
a = 10
WScript.Echo "before" ' expect: before
Function Divide(x, y)
    Divide = x / y
End Function
WScript.Echo Divide(a, 0)
WScript.Echo "never"
' expect error: Division by zero
