' A script stopped from outside (here by the test's time-out, with room for a slow start)
' keeps every line it printed: output goes out line by line even into a pipe.
' stopped after: 3
' expect: started
' expect: working 1
' expect: working 2
' expect stderr: a warning
Dim i
WScript.Echo "started"
For i = 1 To 2
    WScript.StdOut.WriteLine "working " & i
Next
WScript.StdErr.WriteLine "a warning"
Do ' busy, so that nothing but the line buffering puts the lines out
    i = i + 1
Loop
