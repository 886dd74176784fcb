using System;
using System.Windows.Forms;

namespace Viewer.Forms
{
    public partial class MainForm : Form
    {
        public MainForm()
        {
            InitializeComponent();
        }
    }
}
