using System.Collections.Generic;

public class Catalog
{
    public List<string> Items = new List<string>();
}
