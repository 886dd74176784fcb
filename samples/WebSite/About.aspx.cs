public partial class About : System.Web.UI.Page
{
}
