' Lists the arguments as cscript splits them into named and unnamed ones.
' args: in.txt /out:result.txt /V "two words" /Mode:fast:yes /
' expect: 6 arguments
' expect: 0 in.txt
' expect: 1 /out:result.txt
' expect: 2 /V
' expect: 3 two words
' expect: 4 /Mode:fast:yes
' expect: 5 /
' expect: unnamed: in.txt|two words|/
' expect: named: 3
' expect: out = result.txt
' expect: V = []
' expect: Mode = fast:yes
' expect: exists v: True, exists missing: False
' expect: missing is Empty: True
' expect: first unnamed: in.txt, count 3
Dim args, i, s, n
Set args = WScript.Arguments
WScript.Echo args.Count & " arguments"
For i = 0 To args.Count - 1
    WScript.Echo i, args(i)
Next
s = ""
For Each n In args.Unnamed
    If s <> "" Then s = s & "|"
    s = s & n
Next
WScript.Echo "unnamed: " & s
WScript.Echo "named: " & args.Named.Count
For Each n In args.Named
    WScript.Echo n & " = " & IIf2(args.Named(n))
Next
WScript.Echo "exists v: " & args.Named.Exists("v") & ", exists missing: " & args.Named.Exists("missing")
WScript.Echo "missing is Empty: " & IsEmpty(args.Named("missing"))
WScript.Echo "first unnamed: " & args.Unnamed.Item(0) & ", count " & args.Unnamed.Length

Function IIf2(v)
    If v = "" Then IIf2 = "[]" Else IIf2 = v
End Function
