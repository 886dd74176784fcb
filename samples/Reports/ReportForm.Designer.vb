Partial Class ReportForm
    Inherits System.Windows.Forms.Form
End Class
