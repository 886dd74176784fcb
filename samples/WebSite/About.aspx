<%@ Page Language="C#" CodeFile="About.aspx.cs" Inherits="About" %>
<html>
<body>
    <p>About this site.</p>
</body>
</html>
