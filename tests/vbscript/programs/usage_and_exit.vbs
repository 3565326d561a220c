' A tool started without its arguments prints its usage on standard error and quits with 2.
' expect stderr: usage: usage_and_exit.vbs /n:COUNT WORD
' exit: 2
If WScript.Arguments.Unnamed.Count < 1 Or Not WScript.Arguments.Named.Exists("n") Then
    WScript.StdErr.WriteLine "usage: " & WScript.ScriptName & " /n:COUNT WORD"
    WScript.Quit 2
End If
WScript.Echo "not reached"
