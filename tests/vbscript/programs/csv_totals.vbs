' Sums the amounts of a CSV file per category, skipping the header line.
' stdin: csv_totals.in
' expect: books: 31.50 (2 rows)
' expect: food: 12.25 (3 rows)
' expect: tools: 100.00 (1 rows)
' expect: total: 143.75
Dim totals, counts, fields, key, total, keys, i, j, t
Set totals = CreateObject("Scripting.Dictionary")
Set counts = WScript.CreateObject("Scripting.Dictionary")
WScript.StdIn.SkipLine
Do Until WScript.StdIn.AtEndOfStream
    fields = Split(WScript.StdIn.ReadLine, ",")
    If UBound(fields) >= 2 Then
        key = LCase(Trim(fields(1)))
        totals(key) = totals(key) + CDbl(fields(2))
        counts(key) = counts(key) + 1
        total = total + CDbl(fields(2))
    End If
Loop
keys = totals.Keys
For i = 0 To UBound(keys) - 1
    For j = i + 1 To UBound(keys)
        If keys(j) < keys(i) Then t = keys(i): keys(i) = keys(j): keys(j) = t
    Next
Next
For Each key In keys
    WScript.Echo key & ": " & FormatNumber(totals(key), 2, , , False) & " (" & counts(key) & " rows)"
Next
WScript.Echo "total: " & FormatNumber(total, 2, , , False)
