Public Class SalesReport
    Public Function Total() As Decimal
        Return 0D
    End Function
End Class
