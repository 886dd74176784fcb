Namespace My.Resources
    Friend Module Resources
    End Module
End Namespace
