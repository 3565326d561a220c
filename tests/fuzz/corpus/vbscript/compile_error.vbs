' A compile error fails the whole text before any of it runs: the Echo never prints.
WScript.Echo "never printed"
If True Then
    WScript.Echo "inside"
' expect compile error: Expected 'End'
