' Operators: precedence, comparisons across types, Null logic, integer division rounding.
WScript.Echo 2 + 3 * 4 ^ 2 / 8 ' expect: 8
WScript.Echo 7 \ 2 * 2 ' expect: 1
WScript.Echo 10 Mod 3 + 1 ' expect: 2
WScript.Echo ((5 > 3) = True) ' expect: True
WScript.Echo Not 1 = 2 ' expect: True
WScript.Echo 6 And 3 Or 8 ' expect: 10
WScript.Echo TypeName(Null And True) & " " & (Null Or True) & " " & (False And Null) ' expect: Null True False
WScript.Echo 2.5 \ 1 & " " & 3.5 \ 1 ' expect: 2 4
WScript.Echo -7 Mod 3 ' expect: -1
WScript.Echo "abc" < "abd" ' expect: True
WScript.Echo 1 & 2 + 3 ' expect: 15
WScript.Echo CCur(0.1) + CCur(0.2) = CCur(0.3) ' expect: True
WScript.Echo TypeName(CCur(1) * 1.5) ' expect: Currency
WScript.Echo 2 ^ -1 ' expect: 0.5
Dim n
n = Null
WScript.Echo IsNull(n + 1) & " " & IsNull(n & "x") ' expect: True False
' The extremes of integer division and remainder.
WScript.Echo CLng(-2147483647 - 1) Mod -1 ' expect: 0
WScript.Echo TypeName(CInt(-32768) \ -1) & " " & (CInt(-32768) \ -1) ' expect: Long 32768
On Error Resume Next
Dim q
q = CLng(-2147483647 - 1) \ -1
WScript.Echo Err.Number ' expect: 6
