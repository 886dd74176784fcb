Public Class ReportForm
    Private Sub ReportForm_Load(ByVal sender As Object, ByVal e As EventArgs) Handles MyBase.Load
    End Sub
End Class
