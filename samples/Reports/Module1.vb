Module Module1
    Sub Main()
        Application.Run(New ReportForm())
    End Sub
End Module
