' Writes through StdOut and StdErr and follows StdOut's Line and Column; Echo and StdOut share
' one output, in order.
' expect: progress: ...done
' expect: column after "progress: ...done" was 18
' expect: 
' expect: 
' expect: echo between
' expect: StdOut line now 5
' expect: reading StdOut fails with 54
' expect stderr: warning: something to note
' expect stderr: count 2
Dim i, col
WScript.StdOut.Write "progress: "
For i = 1 To 3
    WScript.StdOut.Write "."
    WScript.Sleep 1
Next
WScript.StdOut.Write "done"
col = WScript.StdOut.Column
WScript.StdOut.WriteLine
WScript.StdOut.WriteLine "column after ""progress: ...done"" was " & col
WScript.StdOut.WriteBlankLines 2
WScript.Echo "echo between"
WScript.StdOut.WriteLine "StdOut line now " & WScript.StdOut.Line
WScript.StdErr.Write "warning: "
WScript.StdErr.WriteLine "something to note"
WScript.StdErr.WriteLine "count " & 2
On Error Resume Next
i = WScript.StdOut.ReadLine
WScript.Echo "reading StdOut fails with " & Err.Number
