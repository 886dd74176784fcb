<%@ Page Language="C#" AutoEventWireup="true" CodeFile="Default.aspx.cs" Inherits="_Default" %>
<html>
<body>
    <form id="form1" runat="server">
        <h1>Catalogue</h1>
    </form>
</body>
</html>
