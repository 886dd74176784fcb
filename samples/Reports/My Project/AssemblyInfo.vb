Imports System.Reflection

<Assembly: AssemblyTitle("Reports")>
