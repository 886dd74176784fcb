Namespace My
    Partial Friend NotInheritable Class MySettings
    End Class
End Namespace
