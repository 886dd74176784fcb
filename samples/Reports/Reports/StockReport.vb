Public Class StockReport
    Public Function Items() As Integer
        Return 0
    End Function
End Class
